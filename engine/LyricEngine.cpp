#include "LyricEngine.h"

#include "AppInfo.h"
#include "Clock.h"
#include "FileSystem.h"
#include "FrameFiller.h"
#include "LyricLoader.h"
#include "LyricWindow.h"
#include "RandomSource.h"
#include "ReadingMaker.h"
#include "ReadingSource.h"

#include <algorithm>

LyricEngine::LyricEngine(FileSystem &files, Clock &clock, RandomSource &random, LyricWindow &window)
    : m_files(files), m_clock(clock), m_random(random), m_window(window)
{
}

QString LyricEngine::MyPath() const
{
    QString folder = m_files.programFolder();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void LyricEngine::Form_Load()
{
    m_random.seed(m_clock.secondsSinceMidnight());
    m_data = LyricData::withCategories();

    // The missing help file unloads the window, but loading still goes on so
    // that a broken data file is reported too.
    if (!m_files.isRegularFile(MyPath() + QStringLiteral("LYRMAK.HLP"))) {
        m_window.messageBox(QStringLiteral("ヘルプファイル LYRMAK.HLPが見当たりません。"),
                            MsgButtons::Ok, MsgIcon::None, AppInfo::title());
        m_window.unload();
        m_unloaded = true;
    }

    // A Cancel unloads the window but does not end start-up: the frames are
    // still read, so their own failure is reported as well.
    LyricLoader loader(m_files, m_window, m_data, MyPath());
    if (!loader.WordRead())
        m_unloaded = true;
    if (!loader.FrameRead())
        m_unloaded = true;
    m_readingsPending = !m_unloaded && (m_data.Meters || m_readingNeed == ReadingNeed::Always);
    if (m_readingNeed != ReadingNeed::WhenMetersLater)
        workOutReadings();
    getReady();
}

void LyricEngine::workOutReadings()
{
    if (!m_readingsPending)
        return;
    m_readingsPending = false;
    m_readingsDone = true;
    ReadingMaker::workOut(m_data, m_readingSource);
    if (m_readingSource)
        m_readingFailure = m_readingSource->failure();
    // Without readings, lines with targets fill as any other: say so once,
    // where it matters.
    if (m_data.Meters && !m_readingFailure.isEmpty()) {
        m_data.Meters = false;
        m_window.messageBox(m_readingFailure + QStringLiteral("\r\n") +
                                QStringLiteral("読みがわからないため、拍の数（'!拍 の行）は"
                                               "合わせずに作詞します。"),
                            MsgButtons::Ok, MsgIcon::None, AppInfo::title());
    }
}

void LyricEngine::startWith(LyricData data)
{
    m_random.seed(m_clock.secondsSinceMidnight());
    m_data = std::move(data);
    m_readingsDone = true; // the data comes as it is, readings and all
    getReady();
}

void LyricEngine::getReady()
{
    if (!m_data.Frames.isEmpty())
        drawFrame();
    m_filler.emplace(m_data.WordLists, rules());
    m_fitter.reset();
    m_plans = QList<std::optional<FrameFiller::TagPlan>>(
        m_filler->isPlanned() ? m_data.Frames.size() : 0);
    m_song.clear();
}

FrameFiller::Rules LyricEngine::rules() const
{
    return m_data.Refrains ? FrameFiller::Rules::Refrains : FrameFiller::Rules::Classic;
}

void LyricEngine::drawFrame()
{
    m_song.clear();
    if (m_morae.isEmpty()) {
        m_curFrame = FrameFiller::pickIndex(m_random.next(), m_data.Frames.size());
        return;
    }
    QList<qsizetype> fitting;
    for (qsizetype n = 0; n < m_data.Frames.size(); ++n)
        if (fitsMorae(n))
            fitting << n;
    m_curFrame = fitting.value(FrameFiller::pickIndex(m_random.next(), fitting.size()));
}

QList<int> LyricEngine::lineTargets(const QString &frame, const QList<int> &morae)
{
    const QList<QStringView> pieces = QStringView(frame).split(u"\r\n");
    QList<int> targets;
    qsizetype next = 0;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        targets << (pieces[i].isEmpty() || next >= morae.size() ? 0 : morae[next++]);
    const qsizetype lines = std::count_if(pieces.begin() + std::min<qsizetype>(1, pieces.size()),
                                          pieces.end(), [](QStringView p) { return !p.isEmpty(); });
    return lines == morae.size() ? targets : QList<int>();
}

bool LyricEngine::setMorae(const QList<int> &morae)
{
    const QList<int> before = m_morae;
    m_morae = morae;
    // Targets of one's own need the readings, even for a file without meters.
    if (!morae.isEmpty() && !m_readingsDone && !m_unloaded) {
        m_readingsPending = true;
        workOutReadings();
    }
    for (qsizetype n = 0; n < m_data.Frames.size() || morae.isEmpty(); ++n)
        if (morae.isEmpty() || fitsMorae(n))
            return true;
    m_morae = before;
    return false;
}

bool LyricEngine::fitsMorae(qsizetype n) const
{
    return m_morae.isEmpty() || !lineTargets(m_data.Frames.at(n), m_morae).isEmpty();
}

QString LyricEngine::RndWordInMeter(qsizetype n, const QList<int> &targets)
{
    if (!m_fitter)
        m_fitter.emplace(m_data.WordLists, rules());
    return m_fitter->fill(m_data.Frames.at(n), m_data.FrameReadings.value(n), targets, m_song,
                          m_random);
}

void LyricEngine::setCurFrame(qsizetype n)
{
    Q_ASSERT(n >= 0 && n < m_data.Frames.size());
    m_curFrame = n;
    m_song.clear();
}

void LyricEngine::mnuNew_Click()
{
    drawFrame(); // starts the new song
    m_window.setText(QString());
    mnuRepeat_Click();
}

void LyricEngine::mnuRepeat_Click()
{
    if (m_data.Frames.isEmpty())
        return;
    if (m_window.appendText(RndWord(m_curFrame)))
        m_window.setSelStart(m_window.textLength());
}

QString LyricEngine::RndWord(qsizetype n)
{
    workOutReadings();
    // Form_Load made the filler and sized the plans; the data never changes after.
    const QString &frame = m_data.Frames.at(n);
    // Without the readings (no analyser) the file's targets cannot be met.
    const QList<int> targets = !m_morae.isEmpty() ? lineTargets(frame, m_morae)
                               : m_data.Meters    ? m_data.FrameMeters.value(n)
                                                  : QList<int>();
    if (std::any_of(targets.begin(), targets.end(), [](int t) { return t > 0; }))
        return RndWordInMeter(n, targets);
    if (!m_filler->isPlanned())
        return m_filler->fill(frame, m_random, m_song);
    std::optional<FrameFiller::TagPlan> &plan = m_plans[n];
    if (!plan)
        plan = m_filler->planTags(frame);
    return m_filler->fillPlanned(frame, *plan, m_random, m_song);
}
