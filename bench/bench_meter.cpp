// Lines filled to a number of morae:
//  - a typical song frame with a target on every line, per filling (goal
//    < 50 us), beside the plain filling of the same frame;
//  - a line whose fitting fillings are one in a million against an ordinary
//    line (goal: at most 10 times the cost);
//  - the share of lines on target over 10,000 seeded songs of the test data
//    with targets (tests/data/meter).
#include "BestOf.h"
#include "FolderFileSystem.h"
#include "FrameFiller.h"
#include "LyricEngine.h"
#include "MecabReadingSource.h"
#include "MeterFitter.h"
#include "Morae.h"
#include "MtRandom.h"
#include "SeededRandom.h"
#include "SystemClock.h"
#include "TerminalWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace
{

// Kana words of 2 to 6 morae, `n` to a list, a few of them chained.
std::array<WordList, 5> kanaLists(int n)
{
    const QString kana =
        QStringLiteral("かきくけこさしすせそたちつてとなにぬねのまみむめもらりるれろ");
    LyricData d = LyricData::withCategories();
    MtRandom r;
    r.seedWith(3);
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < n; ++i) {
            QString w;
            const int morae = 2 + FrameFiller::pickIndex(r.next(), 5);
            for (int m = 0; m < morae; ++m)
                w += kana[FrameFiller::pickIndex(r.next(), kana.size())];
            if (k < 4 && i % 20 == 0)
                w = QStringLiteral("Noの") + w;
            d.WordLists[k].Words << w;
        }
    return d.WordLists;
}

void benchTypical()
{
    const QString frame = QStringLiteral(
        "\r\nGi1と　Viいる　Adよる\r\nNo1を　Vtみたい\r\nきみの　Noは　Gi\r\nAd1No1で　Viゆく\r\n"
        "\r\nぼくは　No2を　Vtしまう\r\nGi1と　Vi\r\nAd1No1で　Viゆく\r\nああ　No2\r\n");
    const QList<int> targets{16, 12, 12, 16, 0, 16, 10, 16, 6};
    const auto lists = kanaLists(400);
    using Rules = FrameFiller::Rules;
    for (const Rules rules : {Rules::Classic, Rules::Refrains}) {
        const MeterFitter fitter(lists, rules);
        const FrameFiller plain(lists, rules);
        MtRandom random;
        random.seedWith(1);
        constexpr int kReps = 2000;
        QString sink;
        const double fitted = best(5, [&] {
            for (int i = 0; i < kReps; ++i) {
                SongState song;
                sink = fitter.fill(frame, {}, targets, song, random);
            }
        });
        const double plainTime = best(5, [&] {
            for (int i = 0; i < kReps; ++i) {
                SongState song;
                sink = plain.fill(frame, random, song);
            }
        });
        std::printf("song frame of 8 lines with targets (%s): %.2f us per filling (goal < 50); "
                    "plain filling %.2f us\n",
                    rules == Rules::Refrains ? "refrains" : "classic", fitted / kReps * 1e6,
                    plainTime / kReps * 1e6);
    }
}

// Six nouns, nine in ten of two morae and one in ten of three: 18 morae
// takes six of three, one filling in a million; 13 is the usual count.
void benchRare()
{
    LyricData d = LyricData::withCategories();
    for (int k = 0; k < 4; ++k)
        d.WordLists[k].Words = {QStringLiteral("あ")};
    for (int i = 0; i < 1000; ++i)
        d.WordLists[4].Words << (i % 10 == 0 ? QStringLiteral("かきく") : QStringLiteral("かき"));
    const MeterFitter fitter(d.WordLists, FrameFiller::Rules::Classic);
    const QString frame = QStringLiteral("\r\nNoNoNoNoNoNo\r\n");
    MtRandom random;
    random.seedWith(2);
    constexpr int kReps = 20000;
    double times[2];
    int i = 0;
    for (const int target : {13, 18}) {
        QString sink;
        times[i++] = best(5, [&] {
            for (int j = 0; j < kReps; ++j) {
                SongState song;
                sink = fitter.fill(frame, {}, {target}, song, random);
            }
        });
        if (Morae::count(QStringView(sink).sliced(2, sink.size() - 4)) != target)
            std::printf("missed %d: %s\n", target, qPrintable(sink));
    }
    std::printf("a line that fits one filling in a million: %.2f us, an ordinary line %.2f us: "
                "%.2f times (goal <= 10)\n",
                times[1] / kReps * 1e6, times[0] / kReps * 1e6, times[1] / times[0]);
}

void benchShare(const QString &folder)
{
    QTemporaryDir dir;
    for (const char *name : {"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat", "Kasi.dat"})
        QFile::copy(folder + QLatin1Char('/') + QLatin1String(name), dir.filePath(name));
    QFile(dir.filePath("LYRMAK.HLP")).open(QIODevice::WriteOnly);

    // Each song as the program makes it: start-up, New lyrics, Append lyrics.
    constexpr int kSongs = 10000;
    qint64 lines = 0, onTarget = 0, reachable = 0;
    MecabReadingSource mecab;
    for (int seed = 0; seed < kSongs; ++seed) {
        FolderFileSystem files(dir.path());
        SystemClock clock;
        SeededRandom random(seed);
        TerminalWindow window;
        LyricEngine engine(files, clock, random, window);
        engine.setReadingSource(&mecab);
        engine.Form_Load();
        engine.mnuNew_Click();
        engine.mnuRepeat_Click();
        const LyricData &data = engine.data();
        const qsizetype frame = engine.CurFrame();
        const QList<int> &targets = data.FrameMeters.value(frame);
        const MeterFitter fitter(data.WordLists, engine.rules());
        const QStringList frameLines = data.Frames[frame].split(QStringLiteral("\r\n")).mid(1);
        const QStringList filled = window.text().split(QStringLiteral("\r\n"));
        // The window holds the two fillings one after the other.
        for (qsizetype i = 0; i < filled.size(); ++i) {
            const qsizetype line = i % (frameLines.size());
            const int target = targets.value(line - 1);
            if (line == 0 || target <= 0)
                continue;
            ++lines;
            onTarget += Morae::count(filled[i]) == target;
            reachable +=
                fitter.reach(frameLines[line - 1], frameLines[line - 1], true).reaches(target);
        }
    }
    std::printf("lines on target over %d seeded songs of %s (New and Append lyrics): %lld of "
                "%lld (%.1f%%); lines whose target some words reach: %lld (%.1f%%)\n",
                kSongs, qPrintable(folder), onTarget, lines,
                100.0 * double(onTarget) / double(lines), reachable,
                100.0 * double(reachable) / double(lines));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.contains(QStringLiteral("typical")))
        benchTypical();
    if (args.isEmpty() || args.contains(QStringLiteral("rare")))
        benchRare();
    if (args.isEmpty() || args.contains(QStringLiteral("share")))
        benchShare(QStringLiteral(LYRMAK_METER_DATA_DIR));
    return 0;
}
