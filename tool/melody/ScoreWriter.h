#pragma once

#include "Melody.h"

#include <QByteArray>
#include <QStringList>

// Writes a melody as a MusicXML 4.0 partwise score with one lyric line
// under it: line i of the lyrics goes under phrase i, one syllable to a
// note. Each mora stands alone, as Japanese vocal scores print it (no
// hyphens), and a line's last syllable ends a lyric line (<end-line/>, which
// karaoke and singing programs read), so the next note begins the next
// line. Notes left over hold the last syllable (an extension line);
// syllables left over are sung on the last note.
class ScoreWriter
{
public:
    ScoreWriter(const Melody &melody, const QList<QStringList> &lines, const QString &title);

    QByteArray musicXml() const;
    // A .mxl when `path` ends so, else plain MusicXML. False with error()
    // set when the file could not be written.
    bool save(const QString &path);
    const QString &error() const { return m_error; }

private:
    const Melody &m_melody;
    const QList<QStringList> &m_lines;
    QString m_title;
    QString m_error;
};
