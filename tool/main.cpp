// lyrmak-tool: checks the data files of a folder, and writes lyrics to
// standard output, with the engine of the program itself.
#include "AppInfo.h"
#include "DataChecker.h"
#include "FileError.h"
#include "MelodyFile.h"
#include "MelodySong.h"
#include "NativePath.h"
#include "PosixFileSystem.h"
#include "ScoreWriter.h"
#include "SongWriter.h"
#include "ToolCommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <new>
#include <sys/stat.h>

namespace
{

enum Status { Success = 0, Failure = 1, BadUsage = 2 };

// False when the text could not be written. Bytes of a path that are not
// UTF-8 show as U+FFFD.
bool print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = NativePath::display(text).toUtf8();
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
        return NativePath::programFolder();
    struct stat st = {};
    if (::stat(NativePath::toNative(line.folder()).constData(), &st) != 0) {
        const int err = errno;
        usageError(err == ENOENT || err == ENOTDIR
                       ? QStringLiteral("フォルダー「%1」がありません").arg(line.folder())
                       : QStringLiteral("フォルダー「%1」を開けません（%2）")
                             .arg(line.folder(), FileError::fromErrno(err).description()));
        return QString();
    }
    if (!S_ISDIR(st.st_mode)) {
        const QString what = S_ISREG(st.st_mode)    ? QStringLiteral("ファイル")
                             : S_ISFIFO(st.st_mode) ? QStringLiteral("FIFO（名前付きパイプ）")
                             : S_ISSOCK(st.st_mode) ? QStringLiteral("ソケット")
                                                    : QStringLiteral("デバイス");
        usageError(QStringLiteral("「%1」はフォルダーではなく%2です").arg(line.folder(), what));
        return QString();
    }
    return line.folder();
}

int runCheck(const ToolCommandLine &line, const QString &folder)
{
    DataChecker checker(folder);
    const QList<Finding> findings = checker.check();
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
    if (!line.quiet() && !checker.meterShare().isEmpty())
        report += checker.meterShare() + QLatin1Char('\n');
    if (!line.quiet())
        report += DataChecker::summary(findings) + QLatin1Char('\n');
    return finishOutput(print(stdout, report), errors ? Failure : Success);
}

// One song onto the phrases of a melody; the score with the lyrics under
// the notes when asked for.
int runMelody(SongWriter &writer, const ToolCommandLine &line, const MelodyFile &file,
              std::optional<qsizetype> frame)
{
    QList<qsizetype> phrases;
    for (const QList<Melody::Place> &p : file.melody().phrases())
        phrases.append(p.size());
    const MelodySong::Result song = MelodySong::write(writer, phrases, frame);
    writer.write(song.song);
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
    // A melody that cannot be read is said before the data is loaded.
    MelodyFile melody;
    if (!line.melody().isEmpty() && !melody.read(line.melody(), line.part())) {
        printError(melody.error());
        return Failure;
    }
    SongWriter writer(folder, line.seed(), [](QByteArrayView bytes) {
        return std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    });
    if (!line.melody().isEmpty())
        writer.needSounds();
    writer.setSounds(line.readings() == 2   ? SongWriter::Sounds::Kana
                     : line.readings() == 1 ? SongWriter::Sounds::Morae
                                            : SongWriter::Sounds::Off);
    const bool loaded = writer.load();
    // What the program would have said in a box, and what the counts lack.
    if (loaded) {
        for (const QString &m : writer.messages())
            printError(m);
        if (line.readings() && writer.messages().isEmpty() && !writer.readingFailure().isEmpty())
            printError(writer.readingFailure() +
                       QStringLiteral("（漢字を含む行の拍は「?」になります）"));
    }
    if (!loaded) {
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
        return runMelody(writer, line, melody, frame);
    if (!line.morae().isEmpty()) {
        QStringList shown;
        for (const int n : line.morae())
            shown << QString::number(n);
        const QString given = shown.join(QLatin1Char(','));
        if (!writer.setMorae(line.morae())) {
            printError(QStringLiteral("空でない行が %1 行のフレームがないため、「--morae %2」の"
                                      "歌詞は作れません")
                           .arg(line.morae().size())
                           .arg(given));
            return Failure;
        }
        if (frame && !writer.fitsMorae(*frame)) {
            printError(QStringLiteral("フレーム %1 の空でない行は %2 行ではないため、"
                                      "「--morae %3」に合いません")
                           .arg(*frame)
                           .arg(line.morae().size())
                           .arg(given));
            return Failure;
        }
    }

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

    // The arguments as the bytes they are: a folder need not be UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NativePath::fromNative(argv[i]);
    ToolCommandLine line;
    if (!line.parse(arguments))
        return usageError(line.error());
    switch (line.command()) {
    case ToolCommandLine::Command::Help: {
        // A build has the man page beside the tool, where only its path finds
        // it; an install puts it where man finds it by name.
        QString manPage = NativePath::programFolder() + QStringLiteral("/lyrmak-tool.1");
        if (!PosixFileSystem().isRegularFile(manPage))
            manPage.clear();
        return finishOutput(print(stdout, ToolCommandLine::helpText(manPage)));
    }
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
