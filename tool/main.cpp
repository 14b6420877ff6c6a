// lyrmak-tool: checks the data files of a folder, and writes lyrics to
// standard output, with the engine of the program itself.
#include "AppInfo.h"
#include "DataChecker.h"
#include "FileError.h"
#include "MelodyFile.h"
#include "MelodySong.h"
#include "ScoreWriter.h"
#include "SongWriter.h"
#include "ToolCommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <new>

namespace
{

enum Status { Success = 0, Failure = 1, BadUsage = 2 };

// False when the text could not be written.
bool print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, bytes.size(), stream) == size_t(bytes.size());
}

void printError(const QString &message)
{
    print(stderr, QStringLiteral("lyrmak-tool: %1\n").arg(message));
}

// Every command ends here: output that was lost (a full disk, a closed pipe)
// is a failure, never a success with nothing to show for it.
int finishOutput(bool written, int status = Success)
{
    if (std::fflush(stdout) != 0 || !written) {
        printError(QStringLiteral("標準出力に書き込めませんでした"));
        return Failure;
    }
    return status;
}

int usageError(const QString &message)
{
    printError(message);
    print(stderr, QStringLiteral("使い方は「lyrmak-tool --help」で確かめられます。\n"));
    return BadUsage;
}

// The folder the engine sees as the program folder: the one given, or the
// tool's own. Empty, after a message, when the given one is no folder.
QString dataFolder(const ToolCommandLine &line)
{
    if (line.folder().isEmpty())
        return QCoreApplication::applicationDirPath();
    if (!QFileInfo(line.folder()).isDir()) {
        usageError(QStringLiteral("フォルダー「%1」がありません").arg(line.folder()));
        return QString();
    }
    return line.folder();
}

int runCheck(const ToolCommandLine &line, const QString &folder)
{
    const QList<Finding> findings = DataChecker(folder).check();
    QString shown = FolderFileSystem::normalized(folder);
    if (!shown.endsWith(QLatin1Char('/')))
        shown += QLatin1Char('/');
    QString report;
    bool errors = false;
    for (const Finding &f : findings) {
        errors = errors || f.isError();
        if (f.isError() || !line.quiet())
            report += f.toText(shown) + QLatin1Char('\n');
    }
    if (!line.quiet())
        report += DataChecker::summary(findings) + QLatin1Char('\n');
    return finishOutput(print(stdout, report), errors ? Failure : Success);
}

// One song onto the phrases of a melody; the score with the lyrics under
// the notes when asked for.
int runMelody(SongWriter &writer, const ToolCommandLine &line, std::optional<qsizetype> frame)
{
    MelodyFile file;
    if (!file.read(line.melody(), line.part())) {
        printError(file.error());
        return Failure;
    }
    QList<qsizetype> phrases;
    for (const QList<Melody::Place> &p : file.melody().phrases())
        phrases.append(p.size());
    const MelodySong::Result song = MelodySong::write(writer, phrases, frame);
    writer.write(song.text);
    const bool written = writer.finish();
    for (const QString &note : song.notes)
        printError(note);
    if (!line.score().isEmpty()) {
        // The title the file gives, else its name.
        const QString title = file.melody().title.isEmpty()
                                  ? QFileInfo(line.melody()).completeBaseName()
                                  : file.melody().title;
        ScoreWriter score(file.melody(), song.syllables, title);
        if (!score.save(line.score())) {
            printError(score.error());
            return finishOutput(written, Failure);
        }
    }
    return finishOutput(written);
}

int runWrite(const ToolCommandLine &line, const QString &folder)
{
    SongWriter writer(folder, line.seed(), [](QByteArrayView bytes) {
        return std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    });
    if (!writer.load()) {
        for (const QString &m : writer.messages())
            printError(m);
        const QString check = QStringLiteral("lyrmak-tool check %1").arg(line.folder()).trimmed();
        printError(QStringLiteral("データを確かめるには「%1」を実行してください").arg(check));
        return Failure;
    }
    std::optional<qsizetype> frame;
    if (line.frame()) {
        if (*line.frame() >= quint64(writer.frameCount()))
            return usageError(QStringLiteral("フレームは 0 から %1 までです（「--frame %2」）")
                                  .arg(writer.frameCount() - 1)
                                  .arg(*line.frame()));
        frame = qsizetype(*line.frame());
    }
    if (!line.melody().isEmpty())
        return runMelody(writer, line, frame);

    bool written = true;
    for (quint64 i = 0; i < line.count() && written; ++i)
        written = writer.writeSong(line.appends(), frame);
    return finishOutput(writer.finish() && written);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lyrmak-tool"));
    QCoreApplication::setApplicationVersion(AppInfo::version());

    ToolCommandLine line;
    if (!line.parse(QCoreApplication::arguments()))
        return usageError(line.error());
    switch (line.command()) {
    case ToolCommandLine::Command::Help:
        return finishOutput(
            print(stdout, ToolCommandLine::helpText(QCoreApplication::applicationDirPath() +
                                                    QStringLiteral("/lyrmak-tool.1"))));
    case ToolCommandLine::Command::Version:
        return finishOutput(print(stdout, ToolCommandLine::versionText()));
    case ToolCommandLine::Command::Check:
    case ToolCommandLine::Command::Write:
        break;
    }
    const QString folder = dataFolder(line);
    if (folder.isEmpty())
        return BadUsage;
    // A data file too large to hold is reported where it is read; this
    // catches the rest, so that the tool never aborts.
    try {
        return line.command() == ToolCommandLine::Command::Check ? runCheck(line, folder)
                                                                 : runWrite(line, folder);
    } catch (const std::bad_alloc &) {
        printError(FileError::of(FileError::Kind::OutOfMemory).description());
        return Failure;
    }
}
