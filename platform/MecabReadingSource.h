#pragma once

#include "ReadingSource.h"

#include <memory>
#include <thread>

namespace MeCab
{
class Model;
class Tagger;
class Lattice;
} // namespace MeCab

// Readings from MeCab with the IPA dictionary: the pronunciation of each
// morpheme where the dictionary gives one, else its reading; kana and
// symbols it does not know stand as they are. The dictionary is opened for
// each read and closed after it: a program that never asks pays nothing,
// and one that asked once at start-up does not keep it.
class MecabReadingSource : public ReadingSource
{
public:
    // Debian's place for the UTF-8 IPA dictionary.
    static constexpr const char *kDictionary = "/var/lib/mecab/dic/ipadic-utf8";
    // From this many texts on, two threads read.
    static constexpr qsizetype kTwoThreadsFrom = 256;

    explicit MecabReadingSource(QString dictionary = QString::fromLatin1(kDictionary));
    ~MecabReadingSource() override;

    QStringList read(const QStringList &texts) override;
    QString failure() const override { return m_failure; }

private:
    bool open();

    QString m_dictionary;
    QString m_failure;
    std::unique_ptr<MeCab::Model> m_model;
    std::unique_ptr<MeCab::Tagger> m_tagger;
    std::unique_ptr<MeCab::Lattice> m_lattice;
    std::thread m_closing; // closes the dictionary of the last read
};
