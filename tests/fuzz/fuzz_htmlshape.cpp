// Feeds arbitrary bytes to the help viewer's page check. The check ends, and
// Qt parses and lays out every page it accepts without crashing; a page that
// takes Qt long is caught by the fuzzer's -timeout.
#include "HelpFile.h"
#include "HtmlShape.h"

#include <QGuiApplication>
#include <QImage>
#include <QTextDocument>
#include <cstdint>

namespace
{

// Loads nothing: a page may name any file, /dev/zero among them.
class Document : public QTextDocument
{
protected:
    QVariant loadResource(int type, const QUrl &) override
    {
        if (type == QTextDocument::ImageResource)
            return QImage(16, 16, QImage::Format_ARGB32);
        return QString();
    }
};

} // namespace

// Fontconfig keeps its caches until exit: not a leak of the code under test.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libQt6Gui\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_htmlshape";
    static char *argv[] = {name, nullptr};
    static const QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    const QString html =
        HelpFile::text(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!HtmlShape::of(html).fits())
        return 0;
    Document doc;
    doc.setDefaultStyleSheet(QStringLiteral("pre { white-space: pre-wrap; }"));
    doc.setHtml(html);
    doc.setTextWidth(400);
    (void)doc.size(); // lays out the whole page
    return 0;
}
