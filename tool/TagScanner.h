#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Finds tags the way filling does: wherever the two letters stand. Also tells
// which of them stand inside a Latin word such as "Nobody", where the author
// most likely did not mean a tag. A run of Latin letters made of tags alone
// ("GiGi", "AdNo") is a row of tags, not a word.
class TagScanner
{
public:
    struct Hit {
        int category = 0;  // row of the category table, from 0
        qsizetype pos = 0; // where the tag begins in the text
        QString latinWord; // the Latin word around the tag; empty for a plain tag
    };

    explicit TagScanner(QStringList tags) : m_tags(std::move(tags)) {}

    QList<Hit> scan(QStringView text) const;
    // The row whose tag begins at `pos`, or -1.
    int tagAt(QStringView text, qsizetype pos) const;
    bool containsTag(QStringView text) const;

private:
    QStringList m_tags;
};
