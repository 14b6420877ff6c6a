#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Compressed MusicXML (.mxl): a zip whose META-INF/container.xml names the
// score inside. Reads and writes it with libzip, never unpacking more than
// a set size, so a zip bomb is an error and not a full memory.
class MxlArchive
{
public:
    // The most a score inside may unpack to.
    static constexpr qint64 kMaxUnpacked = 32 * 1024 * 1024;

    static bool looksLikeZip(QByteArrayView bytes) { return bytes.startsWith("PK\x03\x04"); }

    // The root score's bytes; false with error() set when there is none.
    bool read(QByteArrayView zip);
    const QByteArray &score() const { return m_score; }
    const QString &error() const { return m_error; }

    // Writes `score` as the archive's one score to `path`; false with
    // error() set when it could not be written.
    bool write(const QString &path, const QByteArray &score);

private:
    bool fail(const QString &message);

    QByteArray m_score;
    QString m_error;
};
