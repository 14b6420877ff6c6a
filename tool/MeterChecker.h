#pragma once

#include "Finding.h"

#include <QList>
#include <QStringList>

// What a frame file with targets in morae ("'!拍 N") asks of the data: each
// line whose target no choice of words can meet, and the share of lines with
// targets that can be met. Lines are judged one by one: held tags shared
// with other lines are not weighed.
class MeterChecker
{
public:
    // `folder` ends in a separator; `lines` are the decoded lines of the
    // five lists and the frame file, in that order, as the checker read them.
    MeterChecker(const QString &folder, const QList<QStringList> &lines);

    // Findings per file, in the order of `lines`. Nothing for a frame file
    // without targets, or data that the program would not load.
    QList<QList<Finding>> check();

    int linesWithTargets() const { return m_withTargets; }
    int linesOnTarget() const { return m_onTarget; }
    // "拍: 指定のある 40 行のうち 38 行（95%）を指定どおりに埋められます"; empty without targets.
    QString share() const;

    // The target of a "'!拍 N" line (1-99); 0 for any other line.
    static int targetOf(QStringView line);

private:
    QString m_folder;
    QList<QStringList> m_lines;
    int m_withTargets = 0;
    int m_onTarget = 0;
};
