#include "FakeFileSystem.h"

#include "PosixTextReader.h"

#include <new>

namespace
{

const char *stepName(FakeFileSystem::Step s)
{
    static const char *const names[] = {"open",        "eof",   "read",        "close",
                                        "append-open", "write", "append-close"};
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
        if (!m_fs.files.contains(path))
            m_fs.files.insert(path, QByteArray());
        m_open = true;
        return {};
    }
    FileError write(const QByteArray &bytes) override
    {
        if (!m_open)
            return FileError::of(FileError::Kind::NotOpen);
        if (FileError e = m_fs.take(FakeFileSystem::Step::Write, m_path); !e.ok())
            return e;
        m_fs.files[m_path].append(bytes);
        return {};
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
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

private:
    FakeFileSystem &m_fs;
    QString m_path;
    bool m_open = false;
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
