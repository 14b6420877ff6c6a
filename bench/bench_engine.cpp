// Engine speed, as ratios measured in one run:
//  - loading five CP932 word lists of 200,000 words against iconv converting
//    the same bytes;
//  - filling a frame of 10,000 tags against the restart-from-the-start
//    algorithm, and the time to fill a typical frame;
//  - working out the readings of the bundled data with MeCab against
//    loading it.
#include "../tests/LiteralFiller.h"
#include "BestOf.h"
#include "FolderFileSystem.h"
#include "FrameFiller.h"
#include "LyricLoader.h"
#include "LyricWindow.h"
#include "MecabReadingSource.h"
#include "MtRandom.h"
#include "ReadingMaker.h"
#include "SongState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>

namespace
{

class SilentWindow : public LyricWindow
{
public:
    QString text() const override { return {}; }
    void setText(const QString &) override {}
    void setSelStart(qsizetype) override {}
    MsgAnswer messageBox(const QString &prompt, MsgButtons, MsgIcon, const QString &) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(prompt));
        return MsgAnswer::Cancel;
    }
    void unload() override {}
};

void benchLoading()
{
    QTemporaryDir dir;
    QStringEncoder enc("CP932");
    const QStringList stems = {QStringLiteral("きらきら"), QStringLiteral("せつない"),
                               QStringLiteral("踊って"), QStringLiteral("抱きしめて"),
                               QStringLiteral("冷蔵庫")};
    QStringList paths;
    for (int f = 0; f < 5; ++f) {
        QString text = QStringLiteral("'見出しのコメント\r\n");
        for (int i = 0; i < 200000; ++i)
            text += stems[f] + QString::number(i) + QStringLiteral("\r\n");
        const QString path = dir.filePath(
            QStringLiteral("%1.dat").arg(QStringList{"Gi", "Ad", "Vi", "Vt", "No"}[f]));
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(enc.encode(text));
        paths << path;
    }

    FolderFileSystem fs(dir.path());
    SilentWindow win;
    const double load = best(5, [&] {
        LyricData data = LyricData::withCategories();
        LyricLoader loader(fs, win, data, dir.path() + QLatin1Char('/'));
        if (!loader.WordRead())
            std::abort();
    });
    const double iconv = best(5, [&] {
        for (const QString &p : paths) {
            QProcess proc;
            proc.setStandardOutputFile(QProcess::nullDevice());
            proc.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP932"),
                                                 QStringLiteral("-t"), QStringLiteral("UTF-8"), p});
            proc.waitForFinished(-1);
        }
    });
    std::printf("loading 5 x 200,000 words: %.1f ms; iconv on the same bytes: %.1f ms; "
                "ratio %.2f (goal <= 2)\n",
                load * 1e3, iconv * 1e3, load / iconv);
}

// Lists of 150 words each; `joining` adds an empty word to one list, so
// that the filling goes the general way. With `chained`, every fifth word
// but the nouns holds a tag of a later list, as in the bundled data.
std::array<WordList, 5> benchLists(bool joining = false, bool chained = false)
{
    std::array<WordList, 5> lists;
    const char *tags[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
    for (int i = 0; i < 5; ++i) {
        lists[i].Tag = QString::fromLatin1(tags[i]);
        for (int w = 0; w < 150; ++w)
            lists[i].Words << (chained && i < 4 && w % 5 == 0
                                   ? QStringLiteral("%1みたいなことば%2").arg(tags[i + 1]).arg(w)
                                   : QStringLiteral("ことば%1").arg(w));
    }
    if (joining)
        lists[0].Words << QString();
    return lists;
}

const char *nameOf(FrameFiller::Rules rules, bool joining)
{
    return rules == FrameFiller::Rules::Refrains
               ? (joining ? "refrains, general" : "refrains, planned")
               : (joining ? "classic, general" : "classic, planned");
}

// `tags` tags in lines of eight; with refrains every third tag is held.
QString bigFrame(int tags, bool held)
{
    const char *names[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
    QString big = QStringLiteral("\r\n");
    for (int i = 0; i < tags; ++i)
        big += QString::fromLatin1(names[i % 5]) +
               (held && i % 3 == 0 ? QString::number(1 + i / 5 % 9) : QString()) +
               QStringLiteral("の歌") + (i % 8 == 7 ? QStringLiteral("\r\n") : QString());
    return big;
}

void benchTypical(int reps);

void benchFilling()
{
    benchTypical(20000);
    using Rules = FrameFiller::Rules;
    MtRandom r;
    r.seedWith(1);
    QString sink;
    SongState song; // each filling a song of its own
    for (const Rules rules : {Rules::Classic, Rules::Refrains}) {
        const bool refrains = rules == Rules::Refrains;
        const QString big = bigFrame(10000, refrains);
        for (const bool joining : {false, true}) {
            const auto lists = benchLists(joining);
            const FrameFiller filler(lists, rules);
            const double fast = best(5, [&] {
                song.clear();
                sink = filler.fill(big, r, song);
            });
            const double slow = best(2, [&] { sink = literalFill(big, lists, r, refrains); });
            std::printf("frame of 10,000 tags (%s): %.3f ms; restarting search: %.1f ms; "
                        "speed-up %.0fx (goal >= 100)\n",
                        nameOf(rules, joining), fast * 1e3, slow * 1e3, slow / fast);
        }
        const QString huge = bigFrame(150000, refrains);
        const auto lists = benchLists(true);
        const FrameFiller filler(lists, rules);
        const double t = best(3, [&] {
            song.clear();
            sink = filler.fill(huge, r, song);
        });
        std::printf("frame of 150,000 tags, an empty word (%s): %.1f ms, %s\n", nameOf(rules, true),
                    t * 1e3,
                    sink.contains(QStringLiteral("Gi")) ? "tags left" : "every tag filled");
    }
}

// A frame of the size real data has, filled as the program fills it: the
// lists are inert, so from a tag plan made once per frame. The general way
// (lists that can make tags) is measured too.
void benchTypical(int reps)
{
    const QString classic = QStringLiteral(
        "\r\nGiと　Viいる　Adな夜\r\nNoを　Vtみたい\r\n君の　Noは　GiGi\r\nAdNoで　Viゆく\r\n"
        "ぼくは　Noを　Vtしまう\r\nGiと　Vi\r\n");
    const QString held = QStringLiteral(
        "\r\nGi1と　Viいる　Ad1な夜\r\nNo1を　Vtみたい\r\n君の　Noは　GiGi\r\nAd1No1で　Viゆく\r\n"
        "ぼくは　No2を　Vtしまう\r\nGi1と　Vi\r\n");
    using Rules = FrameFiller::Rules;
    for (const bool chained : {false, true})
        for (const Rules rules : {Rules::Classic, Rules::Refrains})
            for (const bool joining : {false, true}) {
                const QString &frame = rules == Rules::Refrains ? held : classic;
                const auto lists = benchLists(joining, chained);
                const FrameFiller filler(lists, rules);
                const FrameFiller::TagPlan plan = filler.planTags(frame);
                MtRandom r;
                r.seedWith(1);
                QString sink;
                SongState song;
                const double all = best(5, [&] {
                    for (int i = 0; i < reps; ++i) {
                        song.clear(); // a song of one filling each, as write makes them
                        sink = filler.isPlanned() ? filler.fillPlanned(frame, plan, r, song)
                                                  : filler.fill(frame, r, song);
                    }
                });
                std::printf("typical frame (%s%s, %lld characters, 14 tags): %.2f us per filling "
                            "(goal < 20)\n",
                            nameOf(rules, joining), chained ? ", chained words" : "",
                            qlonglong(frame.size()), all / reps * 1e6);
            }
}

// Counts what goes to the analyser.
class CountingSource : public ReadingSource
{
public:
    explicit CountingSource(ReadingSource &inner) : m_inner(inner) {}
    QStringList read(const QStringList &texts) override
    {
        asked += texts.size();
        return m_inner.read(texts);
    }
    QString failure() const override { return m_inner.failure(); }
    qsizetype asked = 0;

private:
    ReadingSource &m_inner;
};

void benchReadings()
{
    const QString folder = QStringLiteral(LYRMAK_BUNDLED_DATA_DIR "/");
    FolderFileSystem fs(folder);
    SilentWindow win;
    LyricData loaded = LyricData::withCategories();
    const double load = best(5, [&] {
        loaded = LyricData::withCategories();
        LyricLoader loader(fs, win, loaded, folder);
        if (!loader.WordRead() || !loader.FrameRead())
            std::abort();
    });
    qsizetype asked = 0;
    // A new source each time: opening the dictionary is part of start-up.
    const double read = best(5, [&] {
        LyricData d = loaded;
        MecabReadingSource mecab;
        CountingSource counting(mecab);
        ReadingMaker::workOut(d, &counting);
        asked = counting.asked;
    });
    const double open = best(5, [&] {
        MecabReadingSource mecab;
        mecab.read({QStringLiteral("空")});
    });
    std::printf("bundled data: loading %.1f ms; readings %.1f ms (opening the dictionary %.1f ms, "
                "%lld texts to MeCab, %.1f us each)\n",
                load * 1e3, read * 1e3, open * 1e3, qlonglong(asked),
                (read - open) / double(asked) * 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.contains(QStringLiteral("loading")))
        benchLoading();
    if (args.isEmpty() || args.contains(QStringLiteral("filling")))
        benchFilling();
    if (args.contains(QStringLiteral("typical")))
        benchTypical(2000);
    if (args.isEmpty() || args.contains(QStringLiteral("readings")))
        benchReadings();
    return 0;
}
