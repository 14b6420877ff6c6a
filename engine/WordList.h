#pragma once

#include <QString>
#include <QStringList>

// One word category: its list file, the tag that stands for it in a frame,
// and its words in file order.
struct WordList {
    QString FileName;
    QString Tag;
    QStringList Words;
};
