#include "HelpWindow.h"

#include "AppIcon.h"
#include "HelpBrowser.h"
#include "HelpFile.h"
#include "NativePath.h"
#include "UrlOpener.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <utility>

namespace
{

constexpr int HeadingRole = Qt::UserRole;

} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("ミルトナ ヘルプ"));
    setWindowIcon(AppIcon::icon());

    m_contents = new QTreeWidget;
    m_contents->setObjectName(QStringLiteral("contents"));
    m_contents->setAccessibleName(QStringLiteral("目次"));
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    m_contents->setUniformRowHeights(true);
    m_contents->header()->setStretchLastSection(true);

    m_text = new HelpBrowser;
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setAccessibleName(QStringLiteral("本文"));
    // Every link goes through followLink(), which decides what may open.
    m_text->setOpenLinks(false);
    connect(m_text, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);

    auto *splitter = new QSplitter;
    splitter->addWidget(m_contents);
    splitter->addWidget(m_text);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({240, 560});
    setCentralWidget(splitter);

    m_toolBar = addToolBar(QStringLiteral("ナビゲーション"));
    QToolBar *bar = m_toolBar;
    bar->setMovable(false);
    bar->toggleViewAction()->setVisible(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("戻る"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("進む"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    connect(m_back, &QAction::triggered, m_text, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_text, &QTextBrowser::forward);
    connect(m_text, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_text, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    // The toolbar's overflow button, which a screen reader otherwise
    // announces as a check box without a name.
    if (auto *more = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("ほかのボタン"));

    bar->addSeparator();
    m_find = new QLineEdit;
    m_find->setObjectName(QStringLiteral("find"));
    m_find->setPlaceholderText(QStringLiteral("ページ内を検索 (Ctrl+F)"));
    m_find->setAccessibleName(QStringLiteral("ページ内を検索"));
    m_find->setClearButtonEnabled(true);
    for (QToolButton *clear : m_find->findChildren<QToolButton *>())
        clear->setAccessibleName(QStringLiteral("検索する言葉を消す"));
    m_find->setMaximumWidth(240);
    bar->addWidget(m_find);
    auto *find = new QAction(QStringLiteral("検索"), this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });
    addAction(find);
    auto *next = new QAction(QStringLiteral("次を検索"), this);
    next->setShortcut(QKeySequence::FindNext);
    connect(next, &QAction::triggered, this, [this] { findText(false); });
    addAction(next);
    auto *previous = new QAction(QStringLiteral("前を検索"), this);
    previous->setShortcut(QKeySequence::FindPrevious);
    connect(previous, &QAction::triggered, this, [this] { findText(true); });
    addAction(previous);
    connect(m_find, &QLineEdit::returnPressed, this, [this] { findText(false); });
    auto *leave = new QAction(m_find);
    leave->setShortcut(Qt::Key_Escape);
    leave->setShortcutContext(Qt::WidgetShortcut);
    connect(leave, &QAction::triggered, this,
            [this] { m_text->setFocus(Qt::ShortcutFocusReason); });
    m_find->addAction(leave);

    auto *close = new QAction(QStringLiteral("閉じる"), this);
    close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_Q)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    // A step with the arrow keys moves the text along without a Back entry
    // each; a click or Enter goes there as a link does.
    m_contents->installEventFilter(this);
    m_contents->viewport()->installEventFilter(this);
    connect(m_contents, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { goTo(item, !std::exchange(m_keyStep, false)); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { goTo(item, true); });
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { goTo(item, true); });
    connect(m_text->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &HelpWindow::followScroll);
    connect(m_text, &QTextBrowser::sourceChanged, this, [this] {
        if (m_text->garbled())
            statusBar()->showMessage(QStringLiteral(
                "このページには、文字として読めないバイトがあります（UTF-8 でも Shift_JIS "
                "でもありません）。文字化けしている部分があります。"));
    });

    // Says why a link did not open.
    statusBar()->setObjectName(QStringLiteral("status"));

    // The reader starts in the text; asking for the contents moves there.
    m_text->setFocus(Qt::OtherFocusReason);
    fitScreen();
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_contents && event->type() == QEvent::KeyPress)
        m_keyStep = true;
    else if (event->type() == QEvent::MouseButtonPress)
        m_keyStep = false;
    return QMainWindow::eventFilter(watched, event);
}

// 800 × 600 where the screen has room; on a smaller or scaled screen the
// whole window, with room left for the title bar and frame, in its middle.
void HelpWindow::fitScreen()
{
    const QScreen *s = screen();
    if (!s) {
        resize(800, 600);
        return;
    }
    const QRect free = s->availableGeometry();
    const QSize frameRoom(16, 48);
    const QSize size = QSize(800, 600).boundedTo(free.size() - frameRoom).expandedTo({320, 240});
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, free));
}

// Finds the text of the search field after the selection (or before it),
// going round the page once.
void HelpWindow::findText(bool backward)
{
    const QString what = m_find->text();
    if (what.isEmpty())
        return;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    statusBar()->clearMessage();
    if (m_text->find(what, flags))
        return;
    QTextCursor from(m_text->document());
    if (backward)
        from.movePosition(QTextCursor::End);
    const QTextCursor found = m_text->document()->find(what, from, flags);
    if (found.isNull()) {
        statusBar()->showMessage(QStringLiteral("「%1」は見つかりません。").arg(what));
        return;
    }
    m_text->setTextCursor(found);
    m_text->ensureCursorVisible();
}

QTextBrowser *HelpWindow::textView() const
{
    return m_text;
}

void HelpWindow::open(const QString &path)
{
    QString reason;
    const HelpFile::Status status = HelpFile::check(path, &reason);
    m_headings.clear();
    m_contents->clear();
    m_text->clearHistory();
    statusBar()->clearMessage();
    m_text->setHelpFile(status == HelpFile::Status::Ok ? path : QString());
    if (status != HelpFile::Status::Ok) {
        m_source.clear();
        m_text->setHtml(HelpFile::problemPage(status, path, reason));
        m_contents->hide();
        m_toolBar->hide();
        return;
    }
    // Loaded through its file URL so that history starts at the top of the
    // document; the name does not end in .html, so say what it holds.
    m_source = NativePath::fileUrl(path);
    m_text->setSource(m_source, QTextDocument::HtmlResource);
    m_contents->show();
    m_toolBar->show();
    buildContents();
    // The reader starts at the top, in the first section.
    const QSignalBlocker quiet(m_contents);
    m_contents->setCurrentItem(m_contents->topLevelItem(0));
}

// Pages of the help's own folder open here; web and mail addresses open in
// the user's programs. Anything else (another scheme, a file elsewhere, a
// FIFO, a program) is not opened at all, and the status bar says so.
void HelpWindow::followLink(const QUrl &link)
{
    statusBar()->clearMessage();
    const QUrl url = m_text->source().resolved(link);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        UrlOpener::open(url.toString(QUrl::FullyEncoded));
        return;
    }
    const QString file = m_text->fileInFolder(url);
    const HelpFile::Status status =
        file.isEmpty() ? HelpFile::Status::Missing : HelpFile::check(file);
    // A page too large to show still opens: the viewer explains it in place.
    if (status == HelpFile::Status::Ok || status == HelpFile::Status::TooComplex) {
        QUrl page = NativePath::fileUrl(file);
        page.setFragment(url.fragment());
        m_text->setSource(page, QTextDocument::HtmlResource);
        return;
    }
    statusBar()->showMessage(
        QStringLiteral("このリンクは開けません: %1").arg(link.toDisplayString()));
}

void HelpWindow::buildContents()
{
    m_headings = HelpContents::of(*m_text->document());
    QTreeWidgetItem *section = nullptr;
    for (qsizetype i = 0; i < m_headings.size(); ++i) {
        const HelpHeading &h = m_headings[i];
        QTreeWidgetItem *item = nullptr;
        if (h.level > 2 && section)
            item = new QTreeWidgetItem(section);
        else
            item = new QTreeWidgetItem(m_contents);
        if (h.level <= 2)
            section = item;
        item->setText(0, h.title);
        item->setToolTip(0, h.title);
        item->setData(0, HeadingRole, int(i));
    }
    m_contents->expandAll();
}

void HelpWindow::showContents()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (m_contents->isHidden()) {
        m_text->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_contents->setFocus(Qt::OtherFocusReason);
}

void HelpWindow::goTo(QTreeWidgetItem *item, bool withHistory)
{
    if (!item || m_navigating)
        return;
    const HelpHeading &h = m_headings.at(item->data(0, HeadingRole).toInt());
    m_navigating = true;
    QUrl shown = m_text->source();
    shown.setFragment(QString());
    // Another page in view: coming back to the help is a page change.
    if (shown != m_source)
        withHistory = true;
    if (!h.anchor.isEmpty() && !withHistory) {
        m_text->scrollToAnchor(h.anchor);
    } else if (!h.anchor.isEmpty()) {
        // Through the source, so that Back returns to where the reader was.
        QUrl target = m_source;
        target.setFragment(h.anchor);
        m_text->setSource(target, QTextDocument::HtmlResource);
    } else {
        const QTextBlock block = m_text->document()->findBlockByNumber(h.block);
        const QRectF r = m_text->document()->documentLayout()->blockBoundingRect(block);
        m_text->verticalScrollBar()->setValue(int(r.top()));
    }
    m_navigating = false;
}

// Keeps the list's current entry on the section the reader is looking at.
void HelpWindow::followScroll()
{
    if (m_navigating || m_headings.isEmpty())
        return;
    const int top = m_text->verticalScrollBar()->value();
    QTextDocument *doc = m_text->document();
    qsizetype current = -1;
    for (qsizetype i = 0; i < m_headings.size(); ++i) {
        const QTextBlock block = doc->findBlockByNumber(m_headings[i].block);
        // A few pixels of slack: scrolling to an anchor lands on its line,
        // which starts just below the heading block's top margin. A block
        // not laid out yet has no size and lies further down.
        const QRectF r = doc->documentLayout()->blockBoundingRect(block);
        if (!r.isValid() || r.top() > top + 4)
            break;
        current = i;
    }
    // The text above the first heading belongs to the first section. Leaving
    // the list without a current entry would let it pick one, and jump there,
    // as soon as it gets the focus.
    current = qMax(current, qsizetype(0));
    m_navigating = true;
    QTreeWidgetItemIterator it(m_contents);
    while (*it && (*it)->data(0, HeadingRole).toInt() != current)
        ++it;
    QTreeWidgetItem *item = *it;
    m_contents->setCurrentItem(item);
    if (item)
        m_contents->scrollToItem(item);
    m_navigating = false;
}
