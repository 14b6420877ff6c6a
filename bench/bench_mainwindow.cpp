// Main window speed, as ratios measured in one run: Append lyrics and New
// lyrics on a text area that already holds 1 MB of lyrics (CP932 bytes)
// against the same command on an empty one. Each sample is the command plus
// the event processing (layout, painting) it causes. Runs offscreen when no
// display is set.
//
// A text built by appending, as a user builds it, has had every line laid out
// on screen once; Qt keeps those line layouts, and New lyrics frees them with
// the old text. So New is measured on both kinds of 1 MB text.

#include "BundledWindow.h"

#include <QAction>
#include <QApplication>
#include <QStringEncoder>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

double microseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - since)
        .count();
}

// Median of `rounds` timed runs of `run`, in microseconds; `prepare` runs
// untimed before each.
double median(int rounds, const std::function<void()> &prepare, const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        QCoreApplication::processEvents();
        const auto t0 = std::chrono::steady_clock::now();
        run();
        QCoreApplication::processEvents();
        times.push_back(microseconds(t0));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BundledWindow bundled;
    frmLyrmak &window = bundled.window;
    if (!window.load())
        return 1;
    window.show();
    QAction *append = window.findChild<QAction *>(QStringLiteral("mnuRepeat"));
    QAction *fresh = window.findChild<QAction *>(QStringLiteral("mnuNew"));

    // 1 MB of lyrics, built by appending, checked every 100 appends.
    QStringEncoder sjis("CP932");
    qsizetype bytes = 0;
    const auto buildByAppending = [&] {
        window.setText(QString());
        do {
            for (int i = 0; i < 100; ++i)
                append->trigger();
            QCoreApplication::processEvents();
        } while (window.textLength() < 500000 ||
                 (bytes = QByteArray(sjis.encode(window.text())).size()) < 1000000);
    };
    auto t0 = std::chrono::steady_clock::now();
    buildByAppending();
    std::printf("1 MB text: %lld characters, %lld CP932 bytes, built by appending in %.2f s\n",
                (long long)window.textLength(), (long long)bytes, microseconds(t0) / 1e6);
    const QString big = window.text();

    const auto nothing = [] {};
    // A screenful (a few fillings) costs more to paint than an empty area.
    const QString screenful = big.left(1500);
    const auto empty = [&] { window.setText(QString()); };
    const auto setAtOnce = [&] { window.setText(big); };
    const auto trigger = [](QAction *a) { return [a] { a->trigger(); }; };

    // On 1 MB the appends only add about 2 % to it.
    const double appendFull = median(201, nothing, trigger(append));
    const double appendEmpty = median(201, empty, trigger(append));
    const double appendScreen = median(
        201, [&] { window.setText(screenful); }, trigger(append));
    const double newEmpty = median(41, empty, trigger(fresh));
    const double newSet = median(41, setAtOnce, trigger(fresh));
    const double newBuilt = median(5, buildByAppending, trigger(fresh));

    std::printf("Append lyrics: empty %.0f us, 1 MB %.0f us: ratio %.2f (goal <= 3)\n", appendEmpty,
                appendFull, appendFull / appendEmpty);
    std::printf("Append lyrics: a screenful %.0f us, 1 MB %.0f us: ratio %.2f\n", appendScreen,
                appendFull, appendFull / appendScreen);
    std::printf("New lyrics:    empty %.0f us, 1 MB set at once %.0f us: ratio %.2f (goal <= 3)\n",
                newEmpty, newSet, newSet / newEmpty);
    std::printf("New lyrics:    empty %.0f us, 1 MB built by appending %.0f us: ratio %.2f\n",
                newEmpty, newBuilt, newBuilt / newEmpty);
    return 0;
}
