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
    if (!m_unloaded) {
        ReadingMaker::workOut(m_data, m_readingSource);
        if (m_readingSource)
            m_readingFailure = m_readingSource->failure();
        // Without readings, lines with targets fill as any other: say so
        // once, where it matters.
        if (m_data.Meters && !m_readingFailure.isEmpty()) {
            m_window.messageBox(m_readingFailure + QStringLiteral("\r\n") +
                                    QStringLiteral("読みがわからないため、拍の数（'!拍 の行）は"
                                                   "合わせずに作詞します。"),
                                MsgButtons::Ok, MsgIcon::None, AppInfo::title());
            m_data.Meters = false;
        }
    }
    getReady();
}

void LyricEngine::startWith(LyricData data)
{
    m_random.seed(m_clock.secondsSinceMidnight());
    m_data = std::move(data);
    getReady();
}

void LyricEngine::getReady()
{
    if (!m_data.Frames.isEmpty())
        drawFrame();
    m_filler.emplace(m_data.WordLists, rules());
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
    m_curFrame = FrameFiller::pickIndex(m_random.next(), m_data.Frames.size());
}

void LyricEngine::setCurFrame(qsizetype n)
{
    Q_ASSERT(n >= 0 && n < m_data.Frames.size());
    m_curFrame = n;
    m_song.clear();
}

void LyricEngine::mnuNew_Click()
{
    drawFrame();
    m_song.clear();
    m_window.setText(QString());
    mnuRepeat_Click();
}

void LyricEngine::mnuRepeat_Click()
{
    if (m_data.Frames.isEmpty())
        return;
    m_window.appendText(RndWord(m_curFrame));
    m_window.setSelStart(m_window.textLength());
}

QString LyricEngine::RndWord(qsizetype n)
{
    // Form_Load made the filler and sized the plans; the data never changes after.
    const QString &frame = m_data.Frames.at(n);
    if (!m_filler->isPlanned())
        return m_filler->fill(frame, m_random, m_song);
    std::optional<FrameFiller::TagPlan> &plan = m_plans[n];
    if (!plan)
        plan = m_filler->planTags(frame);
    return m_filler->fillPlanned(frame, *plan, m_random, m_song);
}
