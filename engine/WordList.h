#pragma once

#include <QString>
#include <QStringList>

// One word category: its list file, the tag that stands for it in a frame,
// and its words in file order.
struct WordList {
    QString FileName;
    QString Tag;
    QStringList Words;
    // Parallel to Words once worked out: each word's reading in katakana,
    // its tags left as they stand ("ヨルノ　Noガ"); a null string where the
    // reading cannot be known. The loader stores the readings given with
    // "'=" lines (null for the rest; no element when there are none);
    // ReadingMaker works out the others at start-up when the frame file
    // uses meters (or the tool asks for them).
    QStringList Readings;
};
