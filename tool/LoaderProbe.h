#pragma once

#include "FileError.h"

#include <QString>

// Asks the engine's own loader whether the program would accept one data
// file of a folder, and why not. The other data files are stood in for by
// harmless placeholders, so one file's failure never hides another's.
class LoaderProbe
{
public:
    struct Verdict {
        bool refused = false; // the loader showed its failure box
        FileError error;      // the file step that failed; ok() when none did
        QString reason;       // the box's second line: the program's own words
    };

    // `folder` ends in a separator; `fileName` is one of the five word list
    // files or "Kasi.dat".
    static Verdict probe(const QString &folder, const QString &fileName);
};
