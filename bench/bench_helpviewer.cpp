// How long the help viewer takes to show a page of a given shape: from
// opening the file to the window painted with the whole page laid out.
// Usage: bench_helpviewer SHAPE N, where SHAPE is one of the shapes below and
// N its depth or count. Run it under `timeout`: shapes past the viewer's
// limits are what used to hang it. Runs offscreen when no display is set.
#include "HelpFile.h"
#include "HelpWindow.h"
#include "HtmlShape.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>

namespace
{

QByteArray repeat(const QByteArray &open, const QByteArray &inner, const QByteArray &close, int n)
{
    return open.repeated(n) + inner + close.repeated(n);
}

const std::map<QByteArray, std::function<QByteArray(int)>> Shapes = {
    {"table",
     [](int n) { return repeat("<table border=1><tr><td>", "x", "</td></tr></table>", n); }},
    {"div", [](int n) { return repeat("<div>", "x", "</div>", n); }},
    {"ul", [](int n) { return repeat("<ul><li>", "x", "</li></ul>", n); }},
    {"b", [](int n) { return repeat("<b>", "x", "</b>", n); }},
    {"span", [](int n) { return repeat("<span style=\"color:red\">", "x", "</span>", n); }},
    {"p", [](int n) { return QByteArray("<p>歌詞の段落です。</p>\n").repeated(n); }},
    {"li", [](int n) { return "<ul>" + QByteArray("<li>項目</li>\n").repeated(n) + "</ul>"; }},
    {"cells",
     [](int n) {
         return "<table border=1>" +
                ("<tr>" + QByteArray("<td>枠</td>").repeated(10) + "</tr>\n").repeated(n / 10) +
                "</table>";
     }},
    {"kb",
     [](int n) {
         return QByteArray("<p>" + QByteArray("歌詞").repeated(170) + "</p>\n").repeated(n);
     }},
    {"lists",
     [](int n) {
         return ("<ul>" + QByteArray("<li>項目</li>").repeated(10) + "</ul>\n").repeated(n / 10);
     }},
    {"table4p",
     [](int n) {
         return repeat("<table border=1><tr><td>",
                       QByteArray("<p>歌詞の段落です。</p>").repeated(n), "</td></tr></table>", 4);
     }},
    {"div200p",
     [](int n) {
         return repeat("<div>", QByteArray("<p>歌詞の段落です。</p>").repeated(n), "</div>", 200);
     }},
    {"table3c",
     [](int n) {
         return repeat("<table border=1><tr><td>a</td><td>b</td><td>", "x",
                       "</td></tr><tr><td>c</td><td>d</td><td>e</td></tr></table>", n);
     }},
    {"pre",
     [](int n) { return "<pre>" + QByteArray("一行 '!くりかえし\n").repeated(n) + "</pre>"; }},
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // "file PATH" times a page of your own.
    const bool own = argc == 3 && QByteArray(argv[1]) == "file";
    const auto shape = argc == 3 ? Shapes.find(argv[1]) : Shapes.end();
    if (shape == Shapes.end() && !own) {
        std::fputs("usage: bench_helpviewer SHAPE N | file PATH; shapes:", stderr);
        for (const auto &s : Shapes)
            std::fprintf(stderr, " %s", s.first.constData());
        std::fputs("\n", stderr);
        return 2;
    }
    const int n = QByteArray(argv[2]).toInt();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LYRMAK.HLP"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    QFile given(QString::fromLocal8Bit(argv[2]));
    const QByteArray page = own ? (given.open(QIODevice::ReadOnly) ? given.readAll() : QByteArray())
                                : "<html><body><h2>A</h2>" + shape->second(n) + "</body></html>";
    file.write(page);
    file.close();

    const auto t0 = std::chrono::steady_clock::now();
    HelpWindow window;
    window.open(path);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QCoreApplication::processEvents();
    const auto shown = std::chrono::steady_clock::now();
    QTextDocument *doc = window.textView()->document();
    doc->documentLayout()->blockBoundingRect(doc->lastBlock());
    const auto laidOut = std::chrono::steady_clock::now();
    using ms = std::chrono::duration<double, std::milli>;
    const bool refused = !window.contentsList()->isVisible();
    const HtmlShape vetted = HtmlShape::of(HelpFile::text(page));
    std::printf("%s %d: %lld bytes, depth %d, tables %d, cost %lld, shown %.0f ms, laid out %.0f "
                "ms%s\n",
                argv[1], n, qlonglong(page.size()), vetted.depth, vetted.tableDepth,
                qlonglong(vetted.cost), ms(shown - t0).count(), ms(laidOut - t0).count(),
                refused ? " (refused)" : "");
    return 0;
}
