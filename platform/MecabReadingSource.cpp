#include "MecabReadingSource.h"

#include <QFileInfo>
#include <mecab.h>

#include <cstring>
#include <exception>
#include <string_view>
#include <thread>

MecabReadingSource::MecabReadingSource(QString dictionary) : m_dictionary(std::move(dictionary)) {}

MecabReadingSource::~MecabReadingSource()
{
    if (m_closing.joinable())
        m_closing.join();
}

bool MecabReadingSource::open()
{
    if (m_lattice)
        return true;
    if (m_closing.joinable())
        m_closing.join();
    m_failure.clear();
    const QString shown =
        QStringLiteral("読みの辞書（MeCab の IPA 辞書、%1）を開けません").arg(m_dictionary);
    // MeCab reports a missing folder in its own words; say it in ours.
    if (!QFileInfo(m_dictionary + QStringLiteral("/sys.dic")).isFile()) {
        m_failure = shown + QStringLiteral("：辞書がありません（mecab-ipadic-utf8 を"
                                           "インストールしてください）");
        return false;
    }
    // No resource file: the user's own MeCab settings must not change the
    // readings of the program.
    const QByteArray args = "-r /dev/null -d " + QFile::encodeName(m_dictionary);
    m_model.reset(MeCab::createModel(args.constData()));
    if (m_model) {
        m_tagger.reset(m_model->createTagger());
        m_lattice.reset(m_model->createLattice());
    }
    if (!m_tagger || !m_lattice) {
        m_failure = shown + QStringLiteral("：") + QString::fromUtf8(MeCab::getLastError());
        m_lattice.reset();
        m_tagger.reset();
        m_model.reset();
        return false;
    }
    // The IPA dictionary in another encoding would give garbled readings.
    const MeCab::DictionaryInfo *info = m_model->dictionary_info();
    if (!info || (qstricmp(info->charset, "utf-8") != 0 && qstricmp(info->charset, "utf8") != 0)) {
        m_failure = shown + QStringLiteral("：辞書の文字コードが UTF-8 ではありません");
        m_lattice.reset();
        return false;
    }
    return true;
}

namespace
{

// Field `n` (from 0) of a comma-separated feature string, or null when it
// has fewer fields: no copy, no split.
std::string_view field(const char *feature, int n)
{
    const char *p = feature;
    for (; n > 0; --n) {
        p = std::strchr(p, ',');
        if (!p)
            return {nullptr, 0};
        ++p;
    }
    const char *end = std::strchr(p, ',');
    return end ? std::string_view(p, size_t(end - p)) : std::string_view(p);
}

// The reading of one text. It is gathered as UTF-8 and decoded once: MeCab
// cuts its morphemes at character boundaries, so no character is split.
QString readOne(MeCab::Tagger &tagger, MeCab::Lattice &lattice, const QByteArray &utf8,
                std::string &reading)
{
    lattice.set_sentence(utf8.constData(), size_t(utf8.size()));
    if (!tagger.parse(&lattice))
        return QString();
    reading.clear();
    const char *end = utf8.constData(); // where the last morpheme ended
    for (const MeCab::Node *node = lattice.bos_node(); node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE)
            continue;
        end = node->surface + node->length;
        // MeCab drops the spaces before a morpheme; keep them, they show
        // where the words part.
        const int spaces = node->rlength - node->length;
        if (spaces > 0)
            reading.append(node->surface - spaces, size_t(spaces));
        // IPA features: POS x4, conjugation x2, base form, reading, pronunciation.
        const std::string_view readingField = field(node->feature, 7);
        const std::string_view pronunciation =
            readingField.data() ? field(readingField.data(), 1) : std::string_view(nullptr, 0);
        const std::string_view kana =
            !pronunciation.data() || pronunciation == "*" ? readingField : pronunciation;
        if (!kana.empty() && kana != "*")
            reading.append(kana);
        else
            reading.append(node->surface, node->length);
    }
    // Spaces after the last morpheme too.
    reading.append(end, utf8.constData() + utf8.size());
    return reading.empty() ? QStringLiteral("")
                           : QString::fromUtf8(reading.data(), qsizetype(reading.size()));
}

// Reads texts[from, to) into out[from, to).
void readRange(MeCab::Tagger &tagger, MeCab::Lattice &lattice, const QStringList &texts,
               qsizetype from, qsizetype to, QString *out)
{
    std::string reading;
    for (qsizetype i = from; i < to; ++i)
        out[i] = readOne(tagger, lattice, texts[i].toUtf8(), reading);
}

// Where `texts` parts in two of about the same length of text.
qsizetype middleOf(const QStringList &texts)
{
    qsizetype total = 0;
    for (const QString &t : texts)
        total += t.size();
    qsizetype middle = 0;
    for (qsizetype before = 0; middle < texts.size() && 2 * before < total; ++middle)
        before += texts[middle].size();
    return middle;
}

} // namespace

QStringList MecabReadingSource::read(const QStringList &texts)
{
    QStringList out(texts.size());
    if (open()) {
        QString *answers = out.data();
        // A long list is read in two halves at once, the second by a thread
        // with a tagger and lattice of its own (one model serves both). Each
        // text is analysed alone either way, so the readings are the same.
        qsizetype half = texts.size();
        std::unique_ptr<MeCab::Tagger> tagger;
        std::unique_ptr<MeCab::Lattice> lattice;
        std::thread helper;
        std::exception_ptr failed;
        if (texts.size() >= kTwoThreadsFrom && std::thread::hardware_concurrency() > 1) {
            tagger.reset(m_model->createTagger());
            lattice.reset(m_model->createLattice());
            if (tagger && lattice) {
                half = middleOf(texts);
                try {
                    helper = std::thread([&, from = half] {
                        try {
                            readRange(*tagger, *lattice, texts, from, texts.size(), answers);
                        } catch (...) {
                            failed = std::current_exception();
                        }
                    });
                } catch (const std::exception &) {
                    half = texts.size(); // no thread to be had: read on alone
                }
            }
        }
        try {
            readRange(*m_tagger, *m_lattice, texts, 0, half, answers);
        } catch (...) {
            if (helper.joinable())
                helper.join();
            throw;
        }
        if (helper.joinable())
            helper.join();
        if (failed)
            std::rethrow_exception(failed);
    }
    // Loading asks once: give the dictionary's memory back for the rest of
    // the program's life. Unmapping it takes a while; a thread does it
    // while the caller goes on with the readings.
    try {
        m_closing = std::thread([lattice = std::move(m_lattice), tagger = std::move(m_tagger),
                                 model = std::move(m_model)]() mutable {
            lattice.reset();
            tagger.reset();
            model.reset();
        });
    } catch (const std::exception &) {
        m_lattice.reset();
        m_tagger.reset();
        m_model.reset();
    }
    return out;
}
