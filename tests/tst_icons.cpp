#include "AppIcon.h"
#include "IconDrawing.h"

#include <QTest>

// The icon theme's PNG files are kept drawn in the source tree; they must
// still show what the code draws. A channel may differ by a step or two
// where another CPU blends edges on another path.
class tst_Icons : public QObject
{
    Q_OBJECT
private slots:
    void keptDrawn_data();
    void keptDrawn();
};

void tst_Icons::keptDrawn_data()
{
    QTest::addColumn<int>("size");
    for (int size : {32, 48, 64, 128, 256})
        QTest::addRow("%dx%d", size, size) << size;
}

void tst_Icons::keptDrawn()
{
    QFETCH(int, size);
    const QString file =
        QStringLiteral(LYRMAK_BUNDLED_DATA_DIR "/icons/hicolor/%1x%1/apps/lyrmak.png").arg(size);
    const QImage kept = QImage(file).convertToFormat(QImage::Format_ARGB32);
    const QImage drawn = (size == 32 ? AppIcon::image() : IconDrawing::image(size))
                             .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(kept.size(), QSize(size, size));
    QCOMPARE(drawn.size(), kept.size());
    int worst = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb a = kept.pixel(x, y), b = drawn.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
        }
    }
    QVERIFY2(worst <= 2, qPrintable(QStringLiteral("%1 differs by %2; redraw it with "
                                                   "lyrmak-icon-export")
                                        .arg(file)
                                        .arg(worst)));
}

QTEST_GUILESS_MAIN(tst_Icons)
#include "tst_icons.moc"
