#include "HelpWindow.h"

#include "AppIcon.h"
#include "HelpBrowser.h"
#include "HelpFile.h"
#include "UrlOpener.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

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

    auto *close = new QAction(QStringLiteral("閉じる"), this);
    close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_Q)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    connect(m_contents, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { goTo(item); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { goTo(item); });
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
    resize(800, 600);
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
    m_source = QUrl::fromLocalFile(path);
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
        QUrl page = QUrl::fromLocalFile(file);
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

void HelpWindow::goTo(QTreeWidgetItem *item)
{
    if (!item || m_navigating)
        return;
    const HelpHeading &h = m_headings.at(item->data(0, HeadingRole).toInt());
    m_navigating = true;
    if (!h.anchor.isEmpty()) {
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
