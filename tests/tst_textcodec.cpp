#include "TextCodec.h"

#include <QTest>

class tst_TextCodec : public QObject
{
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void badBytes_data();
    void badBytes();
    void unencodable_data();
    void unencodable();
    void encodeRoundTrip();
};

void tst_TextCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("other"); // the reading not chosen; "-" when there is none

    const int utf8 = int(TextCodec::Encoding::Utf8), sjis = int(TextCodec::Encoding::Cp932);
    const QByteArray a = QByteArray("\x82\xa0", 2); // あ in CP932
    QTest::newRow("crlf, no final break")
        << QByteArray("a\r\nb") << QStringList{"a", "b"} << utf8 << "-";
    QTest::newRow("final crlf adds nothing")
        << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"} << utf8 << "-";
    QTest::newRow("empty last line")
        << QByteArray("a\r\n\r\n") << QStringList{"a", ""} << utf8 << "-";
    QTest::newRow("lf cr is two breaks")
        << QByteArray("a\n\rb") << QStringList{"a", "", "b"} << utf8 << "-";
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"} << utf8
                           << "-";
    QTest::newRow("spaces kept") << QByteArray(" a \r\n") << QStringList{" a "} << utf8 << "-";
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QStringList{QString("a") + QChar(0) + "b"}
                              << utf8 << "-";
    QTest::newRow("utf8 bom") << QByteArray("\xef\xbb\xbf\xe3\x81\x82") << QStringList{"あ"} << utf8
                              << "-";
    QTest::newRow("cp932") << a + "\r\n" + a << QStringList{"あ", "あ"} << sjis << "-";
    QTest::newRow("cp932 wave dash") << QByteArray("\x81\x60\x87\x40", 4)
                                     << QStringList{QString::fromUtf8("～①")} << sjis << "-";
    QTest::newRow("cp932 control codes stay")
        << a + QByteArray("\x1a\x1c\x7f") << QStringList{QString::fromUtf8("あ\x1a\x1c\x7f")}
        << sjis << "-";
    QTest::newRow("cp932 half-width kana")
        << QByteArray("\xca\xdf") << QStringList{"ﾊﾟ"} << sjis << "-";
    // Bytes valid in both encodings: the byte-order mark decides, then a
    // UTF-8 sequence of three bytes, then CP932 if valid, then UTF-8.
    QTest::newRow("both, bom") << QByteArray("\xef\xbb\xbf\xc3\xbd") << QStringList{"ý"} << utf8
                               << "-";
    QTest::newRow("both, three-byte sequence")
        << QString("日本").toUtf8() << QStringList{"日本"} << utf8 << "譌･譛ｬ";
    QTest::newRow("both, two-byte sequences only")
        << QByteArray("\xc3\xbd\xc3\xbd") << QStringList{"ﾃｽﾃｽ"} << sjis << "ýý";
    QTest::newRow("two-byte sequence, not cp932")
        << QByteArray("a\xc2\xa0") << QStringList{QString("a") + QChar(0xa0)} << utf8 << "-";
}

void tst_TextCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(int, encoding);
    QFETCH(QString, other);
    const TextCodec::Decoded d = TextCodec::decode(bytes);
    QVERIFY2(d.error.ok(), qPrintable(d.error.description()));
    QCOMPARE(d.lines(), lines);
    QCOMPARE(int(d.encoding), encoding);
    QCOMPARE(TextCodec::otherReading(bytes).value_or("-"), other);
}

void tst_TextCodec::badBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("goodLines");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("bad");

    const QByteArray a("\x82\xa0", 2);
    QTest::newRow("invalid lead") << a + "\r\n" + QByteArray("x\xff", 2) << 1 << 2
                                  << QByteArray("\xff");
    QTest::newRow("invalid trail")
        << a + "\n" + a + "\n" + QByteArray("\x82\x20", 2) << 2 << 3 << QByteArray("\x82\x20");
    QTest::newRow("ends inside a character")
        << a + "\r\n" + a + QByteArray("\x82") << 1 << 2 << QByteArray("\x82");
    QTest::newRow("bom but broken utf8") << QByteArray("\xef\xbb\xbf"
                                                       "ok\n\xe3\x81")
                                         << 1 << 2 << QByteArray("\xe3\x81");
    const QByteArray u("\xe3\x81\x82"); // あ in UTF-8
    QTest::newRow("utf8 with a cp932 line")
        << u + "\r\n" + u + "\r\n" + a + "\r\n" + u << 2 << 3 << QByteArray("\x82");
    QTest::newRow("cp932 with a utf8 line")
        << a + "\r\n" + a + "\r\n" + u + "\r\n" + a << 2 << 3 << QByteArray("\x82");
}

void tst_TextCodec::badBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, goodLines);
    QFETCH(int, line);
    QFETCH(QByteArray, bad);
    const TextCodec::Decoded d = TextCodec::decode(bytes);
    QCOMPARE(d.error.kind, FileError::Kind::BadBytes);
    QCOMPARE(d.lines().size(), goodLines);
    QCOMPARE(d.error.line, line);
    QCOMPARE(d.error.bytes, bad);
    QVERIFY(d.error.description().contains(QString::number(line) + QStringLiteral("行目")));
    QVERIFY(d.error.description().contains(QString::fromLatin1(bad.toHex(' ').toUpper())));
}

void tst_TextCodec::unencodable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("ascii") << QStringLiteral("abc\r\n") << -1;
    QTest::newRow("japanese") << QStringLiteral("恋のフライパン①～ﾊﾟ") << -1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("emoji") << QStringLiteral("ab😀c") << 2;
    QTest::newRow("yen sign") << QStringLiteral("¥") << 0;
    QTest::newRow("hangul after kanji") << QStringLiteral("漢한") << 1;
}

void tst_TextCodec::unencodable()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QCOMPARE(TextCodec::firstUnencodable(text), qsizetype(index));
}

void tst_TextCodec::encodeRoundTrip()
{
    const QString text = QString::fromUtf8("歌詞\r\nabc ～①ﾊﾟ\x1a\x1c\x7f");
    const QByteArray bytes = TextCodec::encodeCp932(text);
    QCOMPARE(bytes.left(4), QByteArray("\x89\xcc\x8e\x8c", 4));
    QVERIFY(bytes.endsWith("\x1a\x1c\x7f"));
    const TextCodec::Decoded d = TextCodec::decode(bytes);
    QCOMPARE(d.lines().join(QStringLiteral("\r\n")), text);
}

QTEST_APPLESS_MAIN(tst_TextCodec)
#include "tst_textcodec.moc"
