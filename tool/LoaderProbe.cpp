#include "LoaderProbe.h"

#include "LyricLoader.h"
#include "LyricWindow.h"
#include "PosixFileSystem.h"
#include "PosixTextReader.h"

namespace
{

const QString kFrameFile = QStringLiteral("Kasi.dat");

// Reads the probed file for real and keeps its first failure; any other file
// reads as a small valid placeholder.
class ProbeReader : public TextReader
{
public:
    ProbeReader(const QString &target, FileError &failure) : m_target(target), m_failure(failure) {}
    FileError open(const QString &path) override
    {
        m_real = path == m_target;
        if (!m_real) {
            m_inner.setContent(path.endsWith(kFrameFile) ? "x\r\n@\r\n" : "x\r\n");
            return {};
        }
        return keep(m_inner.open(path));
    }
    FileError atEnd(bool &end) override { return keep(m_inner.atEnd(end)); }
    FileError readLine(QString &line) override { return keep(m_inner.readLine(line)); }
    FileError close() override { return keep(m_inner.close()); }

private:
    FileError keep(FileError e)
    {
        if (m_real && !e.ok() && m_failure.ok())
            m_failure = e;
        return e;
    }

    QString m_target;
    FileError &m_failure;
    PosixTextReader m_inner;
    bool m_real = false;
};

class ProbeFileSystem : public PosixFileSystem
{
public:
    ProbeFileSystem(const QString &target, FileError &failure)
        : m_target(target), m_failure(failure)
    {
    }
    std::unique_ptr<TextReader> newReader() override
    {
        return std::make_unique<ProbeReader>(m_target, m_failure);
    }

private:
    QString m_target;
    FileError &m_failure;
};

// Keeps the first failure box and answers it with Cancel, which ends loading.
class ProbeWindow : public LyricWindow
{
public:
    QString prompt;
    bool shown = false;

    QString text() const override { return {}; }
    void setText(const QString &) override {}
    void setSelStart(qsizetype) override {}
    MsgAnswer messageBox(const QString &p, MsgButtons buttons, MsgIcon, const QString &) override
    {
        if (!shown)
            prompt = p;
        shown = true;
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
    void unload() override {}
};

} // namespace

LoaderProbe::Verdict LoaderProbe::probe(const QString &folder, const QString &fileName)
{
    Verdict v;
    ProbeFileSystem files(folder + fileName, v.error);
    ProbeWindow window;
    LyricData data = LyricData::withCategories();
    LyricLoader loader(files, window, data, folder);
    if (fileName == kFrameFile)
        loader.FrameRead();
    else
        loader.WordRead();
    v.refused = window.shown;
    if (v.refused)
        v.reason = window.prompt.section(QStringLiteral("\r\n"), 1);
    return v;
}
