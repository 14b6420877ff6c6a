// The baseline for start-up time and memory: a bare Qt program with a main
// window, a menu bar and a plain text area.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.menuBar()->addMenu(QStringLiteral("作詞(&F)"))->addAction(QStringLiteral("新規作詞(&N)"));
    w.setCentralWidget(new QPlainTextEdit);
    w.resize(495, 330);
    w.show();
    return QApplication::exec();
}
