#include "MeterChecker.h"

#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "MecabReadingSource.h"
#include "MeterFitter.h"
#include "SeededRandom.h"
#include "SystemClock.h"
#include "TerminalWindow.h"

namespace
{

constexpr auto kWarning = Finding::Severity::Warning;
const QString kMeterLine = QStringLiteral("'!拍 ");

} // namespace

MeterChecker::MeterChecker(const QString &folder, const QList<QStringList> &lines)
    : m_folder(folder), m_lines(lines)
{
}

int MeterChecker::targetOf(QStringView line)
{
    if (!line.startsWith(kMeterLine))
        return 0;
    const QStringView n = line.sliced(kMeterLine.size());
    if (n.isEmpty() || n.size() > 2 || n[0] < u'1' || n[0] > u'9' ||
        (n.size() == 2 && (n[1] < u'0' || n[1] > u'9')))
        return 0;
    return n.toInt();
}

QString MeterChecker::share() const
{
    if (m_withTargets == 0)
        return QString();
    return QStringLiteral("拍: 指定のある %1 行のうち %2 行（%3%）を指定どおりに埋められます")
        .arg(m_withTargets)
        .arg(m_onTarget)
        .arg(qRound(100.0 * m_onTarget / m_withTargets));
}

QList<QList<Finding>> MeterChecker::check()
{
    const LyricData table = LyricData::withCategories();
    QList<QList<Finding>> out(m_lines.size());
    const int frameRow = int(m_lines.size()) - 1;
    const QString frameFile = QStringLiteral("Kasi.dat");
    auto say = [&](int row, int line, const QString &message) {
        out[row] << Finding{row == frameRow ? frameFile : table.WordLists[row].FileName, line,
                            kWarning, message};
    };

    // Targets by frame and line, with the file line of each frame line.
    struct Target {
        int frame, line, fileLine, morae;
    };
    QList<Target> targets;
    const QStringList &frameLines = m_lines.value(frameRow);
    int frame = 0, inFrame = 0, pending = 0;
    bool cut = false;
    for (int i = 0; i < frameLines.size(); ++i) {
        const QString &text = frameLines[i];
        if (text.startsWith(QLatin1Char('\''))) {
            pending = targetOf(text);
            continue;
        }
        if (pending > 0 && !cut)
            targets.append({frame, inFrame, i + 1, pending});
        pending = 0;
        cut = cut || text.contains(QLatin1Char('@'));
        ++inFrame;
        if (text == QLatin1String("@")) {
            ++frame;
            inFrame = 0;
            cut = false;
        }
    }
    if (targets.isEmpty())
        return out;

    // The data as the program loads it, readings and all.
    FolderFileSystem files(m_folder);
    SystemClock clock;
    SeededRandom random(0);
    TerminalWindow window;
    MecabReadingSource mecab;
    LyricEngine engine(files, clock, random, window);
    engine.setReadingSource(&mecab);
    engine.Form_Load();
    if (engine.unloaded() || window.unloaded())
        return out;
    const LyricData &data = engine.data();
    const MeterFitter fitter(data.WordLists, engine.rules());
    if (!fitter.isUsable()) {
        say(frameRow, targets.front().fileLine - 1,
            QStringLiteral("単語がとなりの文字とタグを作ったり、自分のタグを持っていたりするため、"
                           "拍の指定は使われません（ふつうに埋められます）"));
        return out;
    }

    for (const Target &t : targets) {
        ++m_withTargets;
        const QStringList pieces = data.Frames.value(t.frame).split(QStringLiteral("\r\n"));
        const QString line = pieces.value(t.line + 1);
        const QStringList readings = data.FrameReadings.value(t.frame);
        const QString reading = readings.isEmpty() ? line : readings.value(t.line);
        const MeterFitter::Reach reach = fitter.reach(line, reading, !reading.isNull());
        // A line that cannot be read is reported with the readings.
        if (!reach.known) {
            continue;
        } else if (!reach.reaches(t.morae)) {
            say(frameRow, t.fileLine,
                QStringLiteral("この行は %1 拍にできません（なれるのは %2～%3 拍）")
                    .arg(t.morae)
                    .arg(reach.min())
                    .arg(reach.max()));
        } else {
            ++m_onTarget;
        }
    }
    return out;
}
