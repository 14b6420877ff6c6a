#include "ToolCommandLine.h"

#include "AppInfo.h"

#include <QCommandLineParser>

namespace
{

// A whole number from 0 up, in decimal; nothing else, not even a sign.
std::optional<quint64> wholeNumber(const QString &text)
{
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        }))
        return std::nullopt;
    bool ok = false;
    const quint64 n = text.toULongLong(&ok);
    return ok ? std::optional<quint64>(n) : std::nullopt;
}

// An option's name as typed: "-n" or "--count".
QString typed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

} // namespace

bool ToolCommandLine::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool ToolCommandLine::parse(const QStringList &arguments)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QString());
    const QCommandLineOption count({QStringLiteral("n"), QStringLiteral("count")}, QString(),
                                   QStringLiteral("N"));
    const QCommandLineOption append({QStringLiteral("a"), QStringLiteral("append")}, QString(),
                                    QStringLiteral("K"));
    const QCommandLineOption seed({QStringLiteral("s"), QStringLiteral("seed")}, QString(),
                                  QStringLiteral("S"));
    const QCommandLineOption frame({QStringLiteral("f"), QStringLiteral("frame")}, QString(),
                                   QStringLiteral("I"));
    const QCommandLineOption readings(QStringLiteral("readings"), QString());
    const QCommandLineOption morae(QStringLiteral("morae"), QString(), QStringLiteral("N,N,..."));
    const QCommandLineOption melody(QStringLiteral("melody"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption part(QStringLiteral("part"), QString(), QStringLiteral("N"));
    const QCommandLineOption score(QStringLiteral("score"), QString(), QStringLiteral("OUT"));
    const QList<QCommandLineOption> writeOptions{count, append, seed, frame, readings,
                                                 morae, melody, part, score};

    // "--readings" takes a value only when it is written with "=".
    QStringList args = arguments;
    for (QString &a : args) {
        const QLatin1String withValue("--readings=");
        if (!a.startsWith(withValue))
            continue;
        if (a.sliced(withValue.size()) != QLatin1String("kana"))
            return fail(QStringLiteral("「--readings」の値「%1」は kana だけが使えます")
                            .arg(a.sliced(withValue.size())));
        m_readings = 2;
        a = QStringLiteral("--readings");
    }

    QCommandLineParser parser;
    parser.addOptions(
        {help, version, quiet, count, append, seed, frame, readings, morae, melody, part, score});
    if (!parser.parse(args)) {
        if (!parser.unknownOptionNames().isEmpty())
            return fail(QStringLiteral("不明なオプション「%1」です")
                            .arg(typed(parser.unknownOptionNames().constFirst())));
        // The parser's only other complaint: a value option with no value,
        // which can only be the last argument.
        for (const QCommandLineOption &o : writeOptions)
            for (const QString &name : o.names())
                if (arguments.size() > 1 && arguments.constLast() == typed(name))
                    return fail(
                        QStringLiteral("オプション「%1」には値が必要です").arg(typed(name)));
        return fail(parser.errorText());
    }

    if (parser.isSet(help)) {
        m_command = Command::Help;
        return true;
    }
    if (parser.isSet(version)) {
        m_command = Command::Version;
        return true;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return fail(QStringLiteral("コマンド（check か write）を指定してください"));
    const QString &name = positional.constFirst();
    if (name == QLatin1String("check"))
        m_command = Command::Check;
    else if (name == QLatin1String("write"))
        m_command = Command::Write;
    else
        return fail(QStringLiteral("不明なコマンド「%1」です（check か write を指定してください）")
                        .arg(name));
    if (positional.size() > 2)
        return fail(
            QStringLiteral("余分な引数「%1」があります（フォルダーはひとつだけ指定できます）")
                .arg(positional.at(2)));
    if (positional.size() == 2) {
        m_folder = positional.at(1);
        if (m_folder.isEmpty())
            return fail(QStringLiteral("フォルダーの名前が空です"));
    }

    if (m_command == Command::Write) {
        if (parser.isSet(quiet))
            return fail(QStringLiteral("オプション「--quiet」は check でしか使えません"));
    } else {
        for (const QCommandLineOption &o : writeOptions)
            if (parser.isSet(o))
                return fail(QStringLiteral("オプション「--%1」は write でしか使えません")
                                .arg(o.names().constLast()));
    }
    m_quiet = parser.isSet(quiet);
    if (parser.isSet(readings) && m_readings == 0)
        m_readings = 1;

    struct Number {
        const QCommandLineOption &option;
        std::optional<quint64> &target;
    };
    std::optional<quint64> countValue, appendValue;
    for (const Number n : {Number{count, countValue}, Number{append, appendValue},
                           Number{seed, m_seed}, Number{frame, m_frame}}) {
        if (!parser.isSet(n.option))
            continue;
        const QString text = parser.value(n.option);
        n.target = wholeNumber(text);
        if (!n.target)
            return fail(QStringLiteral("「--%1」の値「%2」は 0 以上の整数で指定してください")
                            .arg(n.option.names().constLast(), text));
    }
    if (parser.isSet(morae)) {
        const QString text = parser.value(morae);
        for (const QString &piece : text.split(QLatin1Char(','))) {
            const std::optional<quint64> n = wholeNumber(piece);
            if (!n || *n < 1 || *n > 99)
                return fail(QStringLiteral("「--morae」の値「%1」は、1 から 99 までの整数を"
                                           "コンマで区切って指定してください")
                                .arg(text));
            m_morae << int(*n);
        }
    }
    m_count = countValue.value_or(1);
    m_appends = appendValue.value_or(0);
    return parseMelody(parser, melody, part, score);
}

bool ToolCommandLine::parseMelody(const QCommandLineParser &parser,
                                  const QCommandLineOption &melody, const QCommandLineOption &part,
                                  const QCommandLineOption &score)
{
    if (!parser.isSet(melody)) {
        for (const QCommandLineOption &o : {part, score})
            if (parser.isSet(o))
                return fail(QStringLiteral("オプション「--%1」は「--melody」と一緒に使います")
                                .arg(o.names().constLast()));
        return true;
    }
    // One song to one melody: the melody says how long it is and how long
    // each line.
    for (const char *o : {"count", "append", "morae"})
        if (parser.isSet(QLatin1String(o)))
            return fail(QStringLiteral("オプション「--%1」は「--melody」と一緒には使えません")
                            .arg(QLatin1String(o)));
    m_melody = parser.value(melody);
    if (m_melody.isEmpty())
        return fail(QStringLiteral("「--melody」のファイル名が空です"));
    if (parser.isSet(part)) {
        const QString text = parser.value(part);
        const std::optional<quint64> n = wholeNumber(text);
        if (!n || *n < 1 || *n > 999)
            return fail(
                QStringLiteral("「--part」の値「%1」は 1 以上の整数で指定してください").arg(text));
        m_part = int(*n);
    }
    m_score = parser.value(score);
    if (parser.isSet(score) && m_score.isEmpty())
        return fail(QStringLiteral("「--score」のファイル名が空です"));
    return true;
}

QString ToolCommandLine::helpText(const QString &manPage)
{
    return QStringLiteral(
               "使い方: lyrmak-tool check [--quiet] [フォルダー]\n"
               "        lyrmak-tool write [--count N] [--append K] [--seed S] [--frame I] "
               "[--readings[=kana]] [--morae N,N,...] [フォルダー]\n"
               "        lyrmak-tool write --melody FILE [--part N] [--score OUT] [--seed S] "
               "[--frame I] [--readings[=kana]] [フォルダー]\n"
               "\n"
               "ミルトナのデータファイルを調べたり、歌詞を端末に書き出したりします。\n"
               "フォルダーを省くと、lyrmak-tool のあるフォルダー（ミルトナのプログラムの\n"
               "フォルダー）のデータを使います。\n"
               "\n"
               "コマンド:\n"
               "  check              単語ファイル5つと Kasi.dat を調べ、問題を\n"
               "                     「ファイル:行: エラー: 内容」の形で1行ずつ表示します\n"
               "  write              ミルトナと同じ方法で歌詞を作り、UTF-8 で標準出力に書きます\n"
               "\n"
               "check のオプション:\n"
               "  -q, --quiet        エラーだけを表示します（警告とまとめの行を省きます）\n"
               "\n"
               "write のオプション:\n"
               "  -n, --count N      N 曲書きます（既定は 1）\n"
               "  -a, --append K     1曲を「新規作詞」のあと「追加作詞」K 回で作ります（既定は "
               "0）\n"
               "  -s, --seed S       乱数の種を S（0 以上の整数）にします。同じ種と同じデータ\n"
               "                     からは、いつも同じ歌詞ができます（既定は時刻から）\n"
               "  -f, --frame I      I 番目のフレームを使います（0 から数えます。既定はでたらめ）\n"
               "      --readings     行ごとに、タブのあとに拍の数を書きます（読めない部分のある\n"
               "                     行は「?」）。--readings=kana "
               "なら、さらにタブと読みも書きます\n"
               "      --morae N,N,...  空でない行の拍数を順に指定します（ファイルの「'!拍」に\n"
               "                     代わります）。その行数のフレームだけを使います\n"
               "      --melody FILE  メロディー（MIDI、MusicXML、.mxl）に合わせて書きます。\n"
               "                     休符で区切ったフレーズの音符の数が、1行の拍の数です\n"
               "      --part N       N 番目のパート（MIDI では音符のあるトラック）を使います\n"
               "                     （既定は 1）\n"
               "      --score OUT    歌詞を音符の下に付けた楽譜を OUT に書きます（MusicXML。\n"
               "                     名前が .mxl で終わるときは圧縮した MusicXML）\n"
               "\n"
               "共通のオプション:\n"
               "  -h, --help         この説明を表示します\n"
               "  -v, --version      バージョンを表示します\n"
               "\n"
               "終了ステータス:\n"
               "  0  成功（check: ミルトナが起動できないような問題はない）\n"
               "  1  check: エラーがある  write: データやメロディーを読めない、または書き出せない\n"
               "  2  使い方の誤り\n"
               "\n"
               "\n"
               "詳しい説明: %1\n")
        .arg(manPage.isEmpty() ? QStringLiteral("man lyrmak-tool")
                               : QStringLiteral("man -l %1").arg(manPage));
}

QString ToolCommandLine::versionText()
{
    return QStringLiteral("lyrmak-tool (%1) %2\n").arg(AppInfo::title(), AppInfo::version());
}
