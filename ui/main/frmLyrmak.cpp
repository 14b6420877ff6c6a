#include "frmLyrmak.h"

#include "AppIcon.h"
#include "AppInfo.h"
#include "Clipboard.h"
#include "LyricSaver.h"
#include "Lyrmak.h"
#include "MainWindowDesign.h"
#include "MenuShortcutFilter.h"
#include "MessageBox.h"
#include "frmAbout.h"
#include "frmWeb.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>
#include <algorithm>

frmLyrmak::frmLyrmak(FileSystem &files, Clock &clock, RandomSource &random, Clipboard &clipboard,
                     QWidget *parent)
    : QMainWindow(parent), m_files(files), m_clipboard(clipboard),
      m_engine(files, clock, random, *this), m_client(new QWidget(this)), m_txtMain(m_client),
      m_menu(MainMenu::build(menuBar()))
{
    applyDesign();
    connectMenu();
}

frmLyrmak::~frmLyrmak() = default;

void frmLyrmak::applyDesign()
{
    namespace D = MainWindowDesign;
    setObjectName(QStringLiteral("frmLyrmak"));
    setWindowTitle(D::title());
    setWindowIcon(AppIcon::icon());
    // A fixed frame with the close button and the window menu, but no
    // minimize or maximize button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // The client area is a plain widget of the design's size; the text area
    // sits in it by geometry, leaving the design's strips around it.
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(D::clientSize());
    setCentralWidget(m_client);

    QPlainTextEdit *edit = m_txtMain.widget();
    edit->setObjectName(QStringLiteral("txtMain"));
    edit->setGeometry(D::textArea());
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setAccessibleName(QStringLiteral("歌詞"));
    edit->setFocus();

    // The window is exactly the menu bar above the client area, whatever
    // height the style gives the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();

    // Centred as far as can be known before the window manager adds its
    // frame; m_centring corrects this once the frame's size is known.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    m_centring.placed(geometry().topLeft());
}

bool frmLyrmak::event(QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool done = QMainWindow::event(event);
    m_centring.afterEvent(*this, type);
    return done;
}

void frmLyrmak::connectMenu()
{
    const MainMenu &m = m_menu;
    connect(m.mnuNew, &QAction::triggered, this, [this] { mnuNew_Click(); });
    connect(m.mnuRepeat, &QAction::triggered, this, [this] { mnuRepeat_Click(); });
    connect(m.mnuFileSave, &QAction::triggered, this, [this] { mnuFileSave_Click(); });
    connect(m.mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
    connect(m.mnuEdit, &QMenu::aboutToShow, this, [this] { mnuEdit_Click(); });
    connect(m.mnuCut, &QAction::triggered, this, [this] { mnuCut_Click(); });
    connect(m.mnuCopy, &QAction::triggered, this, [this] { mnuCopy_Click(); });
    connect(m.mnuPaste, &QAction::triggered, this, [this] { mnuPaste_Click(); });
    connect(m.mnuAll, &QAction::triggered, this, [this] { mnuAll_Click(); });
    connect(m.mnuMokuji, &QAction::triggered, this, [this] { mnuMokuji_Click(); });
    connect(m.mnuWeb, &QAction::triggered, this, [this] { mnuWeb_Click(); });
    connect(m.mnuVer, &QAction::triggered, this, [this] { mnuVer_Click(); });

    m_txtMain.widget()->installEventFilter(new MenuShortcutFilter(m.withShortcuts(), this));
}

bool frmLyrmak::load()
{
    m_engine.Form_Load();
    return !m_engine.unloaded();
}

QString frmLyrmak::text() const
{
    return m_txtMain.Text();
}

void frmLyrmak::setText(const QString &text)
{
    // New lyrics discards the text without a question; Undo brings it back.
    m_txtMain.replaceText(text);
}

void frmLyrmak::setSelStart(qsizetype pos)
{
    m_txtMain.setSelStart(pos);
}

bool frmLyrmak::appendText(const QString &tail)
{
    const qsizetype length = m_txtMain.textLength();
    if (length > 0 && tail.size() > MaxTextLength - length) {
        messageBox(QStringLiteral("歌詞が長すぎるため、これ以上追加できません"), MsgButtons::Ok,
                   MsgIcon::Critical, AppInfo::title());
        return false;
    }
    m_txtMain.appendText(tail);
    return true;
}

qsizetype frmLyrmak::textLength() const
{
    return m_txtMain.textLength();
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

void frmLyrmak::mnuNew_Click()
{
    // Emptying and the new lyrics are one step for Undo.
    QTextCursor step(m_txtMain.widget()->document());
    step.beginEditBlock();
    m_engine.mnuNew_Click();
    step.endEditBlock();
}

void frmLyrmak::mnuRepeat_Click()
{
    m_engine.mnuRepeat_Click();
}

void frmLyrmak::mnuFileSave_Click()
{
    LyricSaver(m_files, *this).save(m_engine.MyPath() + QStringLiteral("Lyrmak.dat"));
}

void frmLyrmak::mnuExit_Click()
{
    close();
}

void frmLyrmak::mnuEdit_Click()
{
    // Runs only as the Edit menu opens; in between, the items keep the state
    // set here even when the selection or the clipboard changes.
    const std::optional<bool> hasText = m_clipboard.GetFormat();
    if (!hasText)
        return;
    m_menu.mnuPaste->setEnabled(*hasText);
    const bool selected = m_txtMain.SelLength() > 0;
    m_menu.mnuCut->setEnabled(selected);
    m_menu.mnuCopy->setEnabled(selected);
}

// The edit commands stop at a clipboard step that fails: a Cut whose text did
// not reach the clipboard must not delete it.
void frmLyrmak::mnuCut_Click()
{
    if (!m_clipboard.Clear() || !m_clipboard.SetText(m_txtMain.SelText()))
        return;
    m_txtMain.setSelText(QString());
}

void frmLyrmak::mnuCopy_Click()
{
    if (!m_clipboard.Clear())
        return;
    m_clipboard.SetText(m_txtMain.SelText());
}

void frmLyrmak::mnuPaste_Click()
{
    if (const std::optional<QString> text = m_clipboard.GetText())
        m_txtMain.setSelText(*text);
}

void frmLyrmak::mnuAll_Click()
{
    m_txtMain.setSelStart(0);
    m_txtMain.setSelLength(m_txtMain.textLength());
}

void frmLyrmak::mnuMokuji_Click()
{
    Lyrmak::ShowHelp(m_engine.MyPath() + QStringLiteral("LYRMAK.HLP"));
}

// The dialogs have no parent, so they open in the middle of the screen
// wherever the main window stands; each is created once and loaded afresh at
// every showing.
void frmLyrmak::mnuWeb_Click()
{
    if (!m_web)
        m_web = std::make_unique<frmWeb>();
    m_web->showModal();
}

void frmLyrmak::mnuVer_Click()
{
    if (!m_about)
        m_about = std::make_unique<frmAbout>();
    m_about->showModal();
}
