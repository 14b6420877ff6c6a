#pragma once

#include "Finding.h"
#include "TagScanner.h"
#include "TextCodec.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <utility>

// Checks a folder of data files before the program meets them. Whether the
// program would refuse a file is left to the engine's own loader (through
// LoaderProbe); the checker's own reading adds line numbers and finds what
// loads but probably does not work as meant.
class DataChecker
{
public:
    explicit DataChecker(const QString &folder);

    // Findings in the order the program reads the files (the help file, the
    // five lists, the frames); within a file, whole-file findings first,
    // then by line, errors before warnings.
    QList<Finding> check();

    // For a frame file with targets in morae: how many of those lines can
    // meet them, as a line of the report; empty otherwise.
    const QString &meterShare() const { return m_meterShare; }

    // The last line of the report: "エラー 2件、警告 3件".
    static QString summary(const QList<Finding> &findings);

private:
    // Where the last frame of a frame file begins when no "@" line ends it.
    struct OpenFrame {
        int line = 0;            // 0 when every frame is ended
        bool hasText = false;    // false when only empty lines and comments follow
        bool afterFrame = false; // an ended frame comes before it
    };

    // Returns the file's encoding when it holds text beyond ASCII that
    // decodes cleanly: only then does it tell the encodings apart.
    std::optional<TextCodec::Encoding> checkFile(int row, QList<Finding> &out);
    void warnOtherReading(int row, QByteArrayView bytes, const TextCodec::Decoded &text,
                          QList<Finding> &out) const;
    void checkWords(int row, const QStringList &lines, bool loaded, QList<Finding> &out) const;
    OpenFrame checkFrames(const QStringList &lines, QList<Finding> &out) const;
    void checkFrameText(int startLine, const QList<std::pair<int, QString>> &lines,
                        QList<Finding> &out) const;
    Finding finding(int row, int line, Finding::Severity severity, const QString &message) const;
    void checkTagsComingBack(QList<QList<Finding>> &perFile) const;
    // A "'=" line: `readOf` is the word or frame line it reads, null when
    // it stands anywhere else.
    void checkReading(int row, int line, const QString &comment, const QString *readOf,
                      QList<Finding> &out) const;
    void checkMeterLine(int line, const QString &comment, bool beforeFrameLine,
                        QList<Finding> &out) const;
    // With meters: the words whose mora count cannot be known.
    void checkUnreadWords(QList<QList<Finding>> &perFile) const;

    // What the files held, for findings that need all of them.
    QList<QStringList> m_lines; // by row, as decoded
    QList<bool> m_loaded;       // by row: the program would accept the file
    bool m_refrains = false;    // the frame file asks for held tags
    bool m_meters = false;      // some frame line has a target in morae
    QString m_meterShare;

    QString m_folder;        // ends in a separator
    QStringList m_tags;      // by row of the category table
    QStringList m_fileNames; // the five lists, then the frame file
    TagScanner m_scanner;
};
