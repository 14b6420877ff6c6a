#include "DataChecker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QString testData(const QString &name)
{
    return QStringLiteral(LYRMAK_TEST_DATA_DIR "/") + name;
}

// A copy of the bundled data in a folder of its own, for one file to be
// broken in.
struct Folder {
    QTemporaryDir dir;
    Folder()
    {
        const QDir bundled(QStringLiteral(LYRMAK_BUNDLED_DATA_DIR));
        for (const QString &f : bundled.entryList(QDir::Files))
            QFile::copy(bundled.filePath(f), dir.filePath(f));
    }
    QString path() const { return dir.path(); }
};

// "Kasi.dat:3:E" for each finding, and the messages beside them.
QStringList brief(const QList<Finding> &findings, QStringList &messages)
{
    QStringList out;
    for (const Finding &f : findings) {
        out << QStringLiteral("%1:%2:%3").arg(f.file).arg(f.line).arg(f.isError() ? 'E' : 'W');
        messages << f.message;
    }
    return out;
}

} // namespace

class tst_ToolChecker : public QObject
{
    Q_OBJECT
private slots:
    void bundledDataIsClean();
    void brokenFile_data();
    void brokenFile();
    void missingOrUnreadable_data();
    void missingOrUnreadable();
};

void tst_ToolChecker::bundledDataIsClean()
{
    const QList<Finding> findings = DataChecker(QStringLiteral(LYRMAK_BUNDLED_DATA_DIR)).check();
    QStringList messages;
    QVERIFY2(findings.isEmpty(),
             qPrintable(brief(findings, messages).join(' ') + ' ' + messages.join(' ')));
}

// Each row puts one file of tests/data in place of one bundled file. Every
// finding is listed as "file:line:severity" with a piece of its message.
void tst_ToolChecker::brokenFile_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("frame without its @ line")
        << "kasi_no_terminator.dat"
        << "Kasi.dat" << QStringList{"Kasi.dat:1:W", "Kasi.dat:3:E", "Kasi.dat:3:W"}
        << QStringList{"タグがひとつもない",
                       "ここから始まるフレームが「@」だけの行で終わっていません",
                       "タグがひとつもない"};
    QTest::newRow("empty line after the last @")
        << "kasi_text_after.dat"
        << "Kasi.dat" << QStringList{"Kasi.dat:1:W", "Kasi.dat:3:E"}
        << QStringList{"タグ", "最後の「@」の行のあとに空の行かコメント"};
    QTest::newRow("comments only: no frame")
        << "kasi_comments_only.dat"
        << "Kasi.dat" << QStringList{"Kasi.dat:1:E"} << QStringList{"フレームがありません"};
    QTest::newRow("empty frame file") << "words_empty.dat"
                                      << "Kasi.dat" << QStringList{"Kasi.dat:0:E"}
                                      << QStringList{"歌詞フレームがひとつもありません"};
    QTest::newRow("@ and a space") << "kasi_at_space.dat"
                                   << "Kasi.dat" << QStringList{"Kasi.dat:1:W", "Kasi.dat:2:W"}
                                   << QStringList{"タグ", "「@」の前後に空白"};
    QTest::newRow("@ inside a line") << "kasi_at_inside.dat"
                                     << "Kasi.dat" << QStringList{"Kasi.dat:1:W", "Kasi.dat:1:W"}
                                     << QStringList{"行の中の「@」でフレームが切れ", "タグ"};
    QTest::newRow("mixed line ends") << "kasi_mixed_ends.dat"
                                     << "Kasi.dat" << QStringList{"Kasi.dat:1:W", "Kasi.dat:2:W"}
                                     << QStringList{"タグ", "1行目は CR LF、この行は LF"};
    QTest::newRow("frame warnings")
        << "kasi_warnings.dat"
        << "Kasi.dat" << QStringList{"Kasi.dat:2:W", "Kasi.dat:4:W", "Kasi.dat:5:W", "Kasi.dat:8:W"}
        << QStringList{"「Nobody」の中の「No」も No.dat", "タグがひとつもない", "全角の「＠」",
                       "「@」の前後に空白"};
    QTest::newRow("bad CP932 bytes")
        << "words_bad_cp932.dat"
        << "Gi.dat" << QStringList{"Gi.dat:2:E"}
        << QStringList{"Shift-JIS として正しくないバイト列があります（FF）"};
    QTest::newRow("file ends inside a character")
        << "words_truncated.dat"
        << "Vt.dat" << QStringList{"Vt.dat:2:E"} << QStringList{"（82）"};
    QTest::newRow("no word") << "words_empty.dat"
                             << "Ad.dat" << QStringList{"Ad.dat:0:E"}
                             << QStringList{"単語がひとつもありません"};
    QTest::newRow("comments only: no word")
        << "words_comments_only.dat"
        << "Vi.dat" << QStringList{"Vi.dat:0:E"} << QStringList{"単語がひとつもありません"};
    QTest::newRow("every word holds its own tag")
        << "words_own_tag.dat"
        << "No.dat" << QStringList{"No.dat:0:E", "No.dat:2:W", "No.dat:3:W"}
        << QStringList{"No の置き換えが終わりません", "もう一度 No.dat", "もう一度 No.dat"};
    QTest::newRow("word warnings")
        << "words_warnings.dat"
        << "Ad.dat"
        << QStringList{"Ad.dat:2:W", "Ad.dat:3:W",  "Ad.dat:4:W",  "Ad.dat:5:W", "Ad.dat:6:W",
                       "Ad.dat:8:W", "Ad.dat:10:W", "Ad.dat:11:W", "Ad.dat:12:W"}
        << QStringList{"「Nobody」の中の「No」も No.dat",
                       "「Adobe」の中の「Ad」も Ad.dat",
                       "もう一度 Ad.dat",
                       "あとで Vi.dat",
                       "そのまま残ります",
                       "前後に空白",
                       "9行目にもあります",
                       "空の単語",
                       "そのまま残ります"};
    QTest::newRow("an empty word and a leading space")
        << "words_crlf.dat"
        << "Gi.dat" << QStringList{"Gi.dat:3:W", "Gi.dat:4:W"}
        << QStringList{"空の単語", "前後に空白"};
    QTest::newRow("UTF-8 among CP932")
        << "words_utf8.dat"
        << "Gi.dat" << QStringList{"Gi.dat:0:W"} << QStringList{"UTF-8 として読まれます"};
    QTest::newRow("UTF-8 with BOM among CP932")
        << "words_utf8_bom.dat"
        << "No.dat" << QStringList{"No.dat:0:W"} << QStringList{"UTF-8"};
    QTest::newRow("LF throughout is fine") << "words_lf.dat"
                                           << "Vt.dat" << QStringList{} << QStringList{};
    QTest::newRow("CR throughout is fine") << "words_cr.dat"
                                           << "Vi.dat" << QStringList{} << QStringList{};
}

void tst_ToolChecker::brokenFile()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, pieces);
    Folder folder;
    const QString path = folder.dir.filePath(target);
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::copy(testData(source), path));

    QStringList messages;
    const QStringList got = brief(DataChecker(folder.path()).check(), messages);
    QCOMPARE(got, expected);
    for (int i = 0; i < pieces.size(); ++i)
        QVERIFY2(messages[i].contains(pieces[i]), qPrintable(messages[i]));
}

void tst_ToolChecker::missingOrUnreadable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<QString>("piece");
    QTest::newRow("missing list") << "Vt.dat" << false << "ファイルが見つかりません";
    QTest::newRow("missing frames") << "Kasi.dat" << false << "ファイルが見つかりません";
    QTest::newRow("list is a folder") << "No.dat" << true << "フォルダー";
    QTest::newRow("missing help file") << "LYRMAK.HLP" << false << "ヘルプファイル";
    QTest::newRow("help file is a folder") << "LYRMAK.HLP" << true << "ヘルプファイル";
}

void tst_ToolChecker::missingOrUnreadable()
{
    QFETCH(QString, name);
    QFETCH(bool, asFolder);
    QFETCH(QString, piece);
    Folder folder;
    QVERIFY(QFile::remove(folder.dir.filePath(name)));
    if (asFolder)
        QVERIFY(QDir(folder.path()).mkdir(name));

    // One file's failure must not hide the others: the remaining five are
    // still read and are clean.
    const QList<Finding> findings = DataChecker(folder.path()).check();
    QCOMPARE(findings.size(), 1);
    QCOMPARE(findings[0].file, name);
    QCOMPARE(findings[0].line, 0);
    QVERIFY(findings[0].isError());
    QVERIFY2(findings[0].message.contains(piece), qPrintable(findings[0].message));
}

QTEST_GUILESS_MAIN(tst_ToolChecker)
#include "tst_tool_checker.moc"
