#include "frmLyrmak.h"

#include "MessageBox.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCursor>

frmLyrmak::frmLyrmak(FileSystem &files, Clock &clock, RandomSource &random, QWidget *parent)
    : QMainWindow(parent), m_engine(files, clock, random, *this)
{
    setObjectName(QStringLiteral("frmLyrmak"));
    setWindowTitle(QStringLiteral("驚異のミルトナ  トルメ編"));
    m_txtMain = new QPlainTextEdit(this);
    m_txtMain->setObjectName(QStringLiteral("txtMain"));
    m_txtMain->setLineWrapMode(QPlainTextEdit::NoWrap);
    setCentralWidget(m_txtMain);
    createActions();
    resize(495, 330);
}

void frmLyrmak::createActions()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("作詞(&F)"));
    QAction *mnuNew = file->addAction(QStringLiteral("新規作詞(&N)"));
    mnuNew->setObjectName(QStringLiteral("mnuNew"));
    mnuNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(mnuNew, &QAction::triggered, this, [this] { m_engine.mnuNew_Click(); });
    QAction *mnuRepeat = file->addAction(QStringLiteral("追加作詞(&R)"));
    mnuRepeat->setObjectName(QStringLiteral("mnuRepeat"));
    mnuRepeat->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(mnuRepeat, &QAction::triggered, this, [this] { m_engine.mnuRepeat_Click(); });
}

bool frmLyrmak::load()
{
    m_engine.Form_Load();
    return !m_engine.unloaded();
}

QString frmLyrmak::text() const
{
    QString t = m_txtMain->document()->toRawText();
    t.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return t;
}

void frmLyrmak::setText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_txtMain->setPlainText(t);
}

void frmLyrmak::setSelStart(qsizetype pos)
{
    // Each CR LF of the text is one paragraph break in the widget.
    const QString t = text();
    qsizetype breaks = 0;
    for (qsizetype i = 0; i + 1 < pos && i + 1 < t.size(); ++i)
        if (t[i] == QLatin1Char('\r') && t[i + 1] == QLatin1Char('\n'))
            ++breaks;
    QTextCursor c = m_txtMain->textCursor();
    c.setPosition(int(pos - breaks));
    m_txtMain->setTextCursor(c);
}

MsgAnswer frmLyrmak::messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                                const QString &title)
{
    return MessageBox::show(isVisible() ? this : nullptr, prompt, buttons, icon, title);
}

void frmLyrmak::unload()
{
    close();
}
