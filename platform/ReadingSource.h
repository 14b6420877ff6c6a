#pragma once

#include <QString>
#include <QStringList>

// Where the engine gets the readings of texts it cannot read by itself (a
// morphological analyser). Asked once per load, with every text at once.
class ReadingSource
{
public:
    virtual ~ReadingSource() = default;
    // One reading per plain text (no tags), in order: katakana, with kana
    // and symbols the analyser does not know left as written (the caller
    // normalises them); a null string where the text cannot be read. All
    // null when the analyser is not there.
    virtual QStringList read(const QStringList &texts) = 0;
    // Why nothing can be read (no analyser, a broken dictionary), ready to
    // show; empty while readings can be had.
    virtual QString failure() const = 0;
};
