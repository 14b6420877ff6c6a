#include "FakeFileSystem.h"

#include "PosixTextReader.h"

#include <new>

namespace
{

const char *stepName(FakeFileSystem::Step s)
{
    static const char *const names[] = {"open",        "eof",   "read",         "close",
                                        "append-open", "write", "append-close", "make-folder"};
    return names[int(s)];
}

class FakeReader : public TextReader
{
public:
    explicit FakeReader(FakeFileSystem &fs) : m_fs(fs) {}
    FileError open(const QString &path) override
    {
        m_path = path;
        if (FileError e = m_fs.take(FakeFileSystem::Step::Open, path); !e.ok())
            return e;
        if (m_fs.folders.contains(path))
            return FileError::of(FileError::Kind::IsFolder);
        if (!m_fs.files.contains(path))
            return FileError::of(FileError::Kind::NotFound);
        m_real.setContent(m_fs.files.value(path));
        return {};
    }
    FileError atEnd(bool &end) override
    {
        if (FileError e = m_fs.take(FakeFileSystem::Step::AtEnd, m_path); !e.ok())
            return e;
        return m_real.atEnd(end);
    }
    FileError readLine(QString &line) override
    {
        if (FileError e = m_fs.take(FakeFileSystem::Step::ReadLine, m_path); !e.ok())
            return e;
        return m_real.readLine(line);
    }
    FileError close() override
    {
        if (FileError e = m_fs.take(FakeFileSystem::Step::Close, m_path); !e.ok())
            return e;
        return m_real.close();
    }

private:
    FakeFileSystem &m_fs;
    QString m_path;
    PosixTextReader m_real;
};

// Behaves as the real one: a retried write goes on where it stopped, and
// discard() takes back what an unfinished write left.
class FakeAppendFile : public AppendFile
{
public:
    explicit FakeAppendFile(FakeFileSystem &fs) : m_fs(fs) {}
    FileError open(const QString &path) override
    {
        m_path = path;
        if (FileError e = m_fs.take(FakeFileSystem::Step::AppendOpen, path); !e.ok())
            return e;
        if (m_fs.folders.contains(path))
            return FileError::of(FileError::Kind::IsFolder);
        const QByteArray &bytes = m_fs.files[path];
        m_endsInLineBreak = bytes.isEmpty() || bytes.endsWith("\r\n");
        m_open = true;
        return {};
    }
    bool endsInLineBreak() const override { return m_endsInLineBreak; }
    FileError write(const QByteArray &bytes) override
    {
        if (!m_open)
            return FileError::of(FileError::Kind::NotOpen);
        QByteArray &file = m_fs.files[m_path];
        if (m_pending != bytes) {
            m_pending = bytes;
            m_done = 0;
            m_start = file.size();
        }
        const FileError e = m_fs.take(FakeFileSystem::Step::Write, m_path);
        const qsizetype n = e.ok() ? bytes.size() - m_done
                                   : std::min(m_fs.writtenBeforeFailure, bytes.size() - m_done);
        file.append(bytes.sliced(m_done, n));
        m_done += n;
        if (e.ok())
            m_pending = QByteArray();
        return e;
    }
    FileError close() override
    {
        if (!m_open)
            return {};
        if (FileError e = m_fs.take(FakeFileSystem::Step::AppendClose, m_path); !e.ok())
            return e;
        m_open = false;
        return {};
    }
    void discard() override
    {
        m_fs.log.append(QStringLiteral("discard ") + m_path);
        if (!m_pending.isNull())
            m_fs.files[m_path].truncate(m_start);
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

private:
    FakeFileSystem &m_fs;
    QString m_path;
    bool m_open = false;
    bool m_endsInLineBreak = true;
    QByteArray m_pending;
    qsizetype m_done = 0;
    qsizetype m_start = 0;
};

} // namespace

void FakeFileSystem::failAt(Step step, const QString &path, int from, int times, FileError error)
{
    m_rules.append({step, path, from, times, error});
}

void FakeFileSystem::failAllocationAt(Step step, const QString &path, int from, int times)
{
    m_rules.append({step, path, from, times, {}, true});
}

int FakeFileSystem::calls(Step step, const QString &path) const
{
    return m_calls.value({int(step), path});
}

FileError FakeFileSystem::take(Step step, const QString &path)
{
    log.append(QString::fromLatin1(stepName(step)) + QLatin1Char(' ') + path);
    const int n = ++m_calls[{int(step), path}];
    for (const Rule &r : m_rules)
        if (r.step == step && r.path == path && n >= r.from && n < r.from + r.times) {
            if (r.allocation)
                throw std::bad_alloc();
            return r.error;
        }
    return {};
}

bool FakeFileSystem::isRegularFile(const QString &path) const
{
    return files.contains(path) && !folders.contains(path);
}

std::unique_ptr<TextReader> FakeFileSystem::newReader()
{
    return std::make_unique<FakeReader>(*this);
}

std::unique_ptr<AppendFile> FakeFileSystem::newAppendFile()
{
    return std::make_unique<FakeAppendFile>(*this);
}

QString FakeFileSystem::userDataFolder(FileError &error)
{
    error = userFolder.isEmpty() ? FileError() : take(Step::MakeFolder, userFolder);
    return userFolder;
}
