#include "DataChecker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

class tst_ToolChecker : public QObject
{
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void meters_data();
    void meters();
};

// Each row puts `source` (a file of tests/data, "(none)", "(folder)",
// "(fifo)" or a device to link to) in place of the bundled `target`; each finding in `target` is
// "line:E|W" and a piece of its message.
void tst_ToolChecker::check_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("expected");
    using L = QStringList;
    const QString kasi = "Kasi.dat", gi = "Gi.dat", ad = "Ad.dat", vi = "Vi.dat", vt = "Vt.dat",
                  no = "No.dat", help = "LYRMAK.HLP";
    QTest::newRow("bundled data is clean") << "" << QString() << L{};
    QTest::newRow("frame without its @ line")
        << "kasi_no_terminator.dat" << kasi
        << L{"1:W タグがひとつもない",
             "3:E ここから始まるフレームが「@」だけの行で終わっていません",
             "3:W タグがひとつもない"};
    QTest::newRow("empty line after the last @")
        << "kasi_text_after.dat" << kasi
        << L{"1:W タグ", "3:E 最後の「@」の行のあとに空の行かコメント"};
    QTest::newRow("comments only: no frame")
        << "kasi_comments_only.dat" << kasi << L{"1:E フレームがありません"};
    QTest::newRow("empty frame file")
        << "words_empty.dat" << kasi << L{"0:E 歌詞フレームがひとつもありません"};
    QTest::newRow("@ and a space")
        << "kasi_at_space.dat" << kasi << L{"1:W タグ", "2:W 「@」の前後に空白"};
    QTest::newRow("@ inside a line")
        << "kasi_at_inside.dat" << kasi << L{"1:W 行の中の「@」でフレームが切れ", "1:W タグ"};
    QTest::newRow("mixed line ends")
        << "kasi_mixed_ends.dat" << kasi << L{"1:W タグ", "2:W 1行目は CR LF、この行は LF"};
    QTest::newRow("frame warnings")
        << "kasi_warnings.dat" << kasi
        << L{"2:W 「Nobody」の中の「No」も No.dat", "4:W タグがひとつもない", "5:W 全角の「＠」",
             "8:W 「@」の前後に空白"};
    QTest::newRow("bad CP932 bytes") << "words_bad_cp932.dat" << gi
                                     << L{"2:E Shift-JIS として正しくないバイト列があります（FF）"};
    QTest::newRow("file ends inside a character") << "words_truncated.dat" << vt << L{"2:E （82）"};
    QTest::newRow("no word") << "words_empty.dat" << ad << L{"0:E 単語がひとつもありません"};
    QTest::newRow("comments only: no word")
        << "words_comments_only.dat" << vi << L{"0:E 単語がひとつもありません"};
    QTest::newRow("every word holds its own tag")
        << "words_own_tag.dat" << no
        << L{"0:W No の置き換えはいつも上限で打ち切られる", "2:W もう一度 No.dat",
             "3:W もう一度 No.dat"};
    QTest::newRow("a line of a million tags") << "(a million tags)" << kasi << L{};
    QTest::newRow("held tags used once")
        << "kasi_refrains.dat" << kasi
        << L{"3:W 「Gi2」はこのフレームに1回しかない", "6:W 「Vt3」はこのフレームに1回しかない"};
    QTest::newRow("a digit after a tag without refrains")
        << "kasi_digits.dat" << kasi << L{"1:W 「No1」は、くりかえしの印ではなく"};
    QTest::newRow("a near miss of the refrain line")
        << "kasi_refrains_typo.dat" << kasi
        << L{"1:W と少しちがうため、ただのコメント", "2:W 「No1」は、くりかえしの印ではなく"};
    // The bundled frame file switches refrains on, so the held tag is held.
    QTest::newRow("readings in a word list")
        << "words_readings.dat" << no
        << L{"4:W 読みのタグ（No）が単語のタグ（なし）と合いません",
             "5:W 単語の行のすぐあとにない"};
    QTest::newRow("targets and readings in frames")
        << "kasi_meters.dat" << kasi
        << L{"3:W 読みのタグ（No）が行のタグ（Gi、No）と合いません",
             "4:W の形でないため、ただのコメント",
             "6:W すぐあとがフレームの行ではない",
             "11:W 読みのわからない部分",
             "13:W フレームの行のすぐあとにない",
             "15:W かなと記号のほかの文字「字」"};
    QTest::newRow("a held tag inside a word") << "words_digit.dat" << gi << L{};
    QTest::newRow("words that complete their tag at a seam")
        << "words_come_back.dat" << no
        << L{"3:W 単語「星N」は、前後の文字とつながってタグ「No」をまた作る", "4:W 単語「o月」は"};
    QTest::newRow("every word can bring its tag back")
        << "words_all_come_back.dat" << no
        << L{"0:W どの単語もタグ「No」をまた作ることがある", "1:W 単語「o月」は",
             "2:W 単語「星N」は", "3:W 空の単語になります", "3:W 空の単語は、前後の文字をつなげて"};
    QTest::newRow("word warnings") << "words_warnings.dat" << ad
                                   << L{"2:W 「Nobody」の中の「No」も No.dat",
                                        "3:W 「Adobe」の中の「Ad」も Ad.dat",
                                        "4:W もう一度 Ad.dat",
                                        "6:W そのまま残ります",
                                        "8:W 前後に空白",
                                        "10:W 9行目にもあります",
                                        "11:W 空の単語",
                                        "12:W そのまま残ります"};
    QTest::newRow("an empty word and a leading space")
        << "words_crlf.dat" << gi << L{"3:W 空の単語", "4:W 前後に空白"};
    QTest::newRow("UTF-8 among CP932") << "words_utf8.dat" << gi << L{"0:W UTF-8 として読まれます"};
    QTest::newRow("UTF-8 with BOM among CP932") << "words_utf8_bom.dat" << no << L{"0:W UTF-8"};
    QTest::newRow("CP932 kana that is also UTF-8")
        << "words_kana_or_utf8.dat" << gi
        << L{"2:W Shift-JIS として「ﾃｽﾃｽ」と読まれます（UTF-8 なら「ýý」"};
    QTest::newRow("UTF-8 that is also CP932")
        << "words_utf8_or_cp932.dat" << vi
        << L{"0:W UTF-8 として読まれます",
             "1:W （Shift-JIS なら「譌･譛ｬ」。UTF-8 と決めるには BOM を付けて"};
    QTest::newRow("LF throughout is fine") << "words_lf.dat" << vt << L{};
    QTest::newRow("CR throughout is fine") << "words_cr.dat" << vi << L{};
    // One file's failure hides nothing: the other five are still read.
    QTest::newRow("missing list") << "(none)" << vt << L{"0:E ファイルが見つかりません"};
    QTest::newRow("missing frames") << "(none)" << kasi << L{"0:E ファイルが見つかりません"};
    QTest::newRow("list is a folder") << "(folder)" << no << L{"0:E フォルダー"};
    QTest::newRow("list is a FIFO") << "(fifo)" << vi << L{"0:E 通常のファイルではありません"};
    QTest::newRow("frames linked to a device")
        << "/dev/zero" << kasi << L{"0:E 通常のファイルではありません"};
    QTest::newRow("help file is a FIFO") << "(fifo)" << help << L{"0:E ヘルプファイル"};
    QTest::newRow("missing help file") << "(none)" << help << L{"0:E ヘルプファイル"};
    QTest::newRow("help file is a folder") << "(folder)" << help << L{"0:E ヘルプファイル"};
}

void tst_ToolChecker::check()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QDir bundled(QStringLiteral(LYRMAK_BUNDLED_DATA_DIR));
    for (const QString &f : bundled.entryList(QDir::Files))
        if (f != target)
            QVERIFY(QFile::copy(bundled.filePath(f), dir.filePath(f)));
    // A row looks at one file's findings: the bundled frames' targets ('!拍
    // lines) would make a replaced list speak in every line, so they go.
    if (!target.isEmpty() && target != "Kasi.dat") {
        QFile frames(dir.filePath("Kasi.dat"));
        QVERIFY(frames.open(QIODevice::ReadWrite));
        QList<QByteArray> lines = frames.readAll().split('\n');
        lines.removeIf([](const QByteArray &l) { return l.startsWith("'!\x94\x8f"); });
        QVERIFY(frames.resize(0));
        frames.write(lines.join('\n'));
    }
    if (source == "(folder)") {
        QVERIFY(QDir(dir.path()).mkdir(target));
    } else if (source == "(fifo)") {
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(target)).constData(), 0600), 0);
    } else if (source.startsWith("/dev/")) {
        QVERIFY(QFile::link(source, dir.filePath(target)));
    } else if (source == "(a million tags)") {
        QFile f(dir.filePath(target));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Gi").repeated(1000000) + "\r\n@\r\n");
    } else if (!target.isEmpty() && !source.startsWith('(')) {
        QVERIFY(
            QFile::copy(QStringLiteral(LYRMAK_TEST_DATA_DIR "/") + source, dir.filePath(target)));
    }

    QStringList got, messages, wanted;
    ::alarm(20); // a check that waits on a FIFO or reads a device ends here
    const QList<Finding> findings = DataChecker(dir.path()).check();
    ::alarm(0);
    for (const Finding &f : findings) {
        got << QStringLiteral("%1:%2:%3").arg(f.file).arg(f.line).arg(f.isError() ? 'E' : 'W');
        messages << f.message;
    }
    for (const QString &e : expected)
        wanted << target + ':' + e.section(' ', 0, 0);
    QCOMPARE(got, wanted);
    for (qsizetype i = 0; i < got.size(); ++i)
        QVERIFY2(messages[i].contains(expected[i].section(' ', 1)), qPrintable(messages[i]));
}

// Kana lists whose counts are known, and a word without a reading.
void tst_ToolChecker::meters_data()
{
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("nouns");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("share");
    const QString nouns = "ゆめ\r\nそら\r\nほしぞら\r\nうみ\r\nきみ\r\nLove\r\n";
    QTest::newRow("without targets nothing is said") << "AdNoが\r\nGiと　Viいる\r\n@\r\n"
                                                     << nouns << QStringList{} << QString();
    QTest::newRow("targets")
        << "'!くりかえし\r\n'!拍 8\r\nAdNoが\r\n'!拍 7\r\nGiと　Viいる\r\n\r\n'!拍 9\r\n"
           "No1を　Vtいる\r\n'!拍 4\r\nああ　No1\r\n'!拍8\r\nGi\r\n@\r\n"
        << nouns << QStringList{"Kasi.dat:5 この行は 7 拍にできません（なれるのは 9～11 拍）"}
        << "拍: 指定のある 4 行のうち 3 行（75%）を指定どおりに埋められます";
    QTest::newRow("a noun holding its own tag: targets unused")
        << "'!拍 8\r\nAdNoが\r\n@\r\n"
        << "ゆめ\r\nNoのかけら\r\n"
        << QStringList{"Kasi.dat:1 単語がとなりの文字とタグを作ったり"} << QString();
}

void tst_ToolChecker::meters()
{
    QFETCH(QString, frames);
    QFETCH(QString, nouns);
    QFETCH(QStringList, expected);
    QFETCH(QString, share);
    QTemporaryDir dir;
    const QHash<QString, QString> files{{"LYRMAK.HLP", "<html></html>"},
                                        {"Gi.dat", "きらきら\r\nふわり\r\nどきどき\r\nそっと\r\n"},
                                        {"Ad.dat", "あおい\r\nやさしい\r\nNoのような\r\n"},
                                        {"Vi.dat", "ないて\r\nわらって\r\nとんで\r\n"},
                                        {"Vt.dat", "だいて\r\nみつめて\r\n"},
                                        {"No.dat", nouns},
                                        {"Kasi.dat", frames}};
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile f(dir.filePath(it.key()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(it.value().toUtf8());
    }
    DataChecker checker(dir.path());
    QStringList got;
    for (const Finding &f : checker.check())
        if (f.message.contains(QStringLiteral("拍にできません")) ||
            f.message.contains(QStringLiteral("拍の指定は使われません")))
            got << QStringLiteral("%1:%2 %3").arg(f.file).arg(f.line).arg(f.message);
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        QVERIFY2(got[i].startsWith(expected[i]), qPrintable(got[i]));
    QCOMPARE(checker.meterShare(), share);
}

QTEST_GUILESS_MAIN(tst_ToolChecker)
#include "tst_tool_checker.moc"
