#pragma once

#include "HelpContents.h"

#include <QMainWindow>
#include <QUrl>

class HelpBrowser;
class QAction;
class QLineEdit;
class QTextBrowser;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

// The help viewer's window: the contents list made from the document's
// headings beside the text. A click in the list goes to that section, links
// in the text work, Back and Forward retrace the way, Ctrl+F finds text in
// the page. A file that cannot be shown gets a short explanation in place of
// the text.
class HelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the help file, or why it cannot be shown.
    void open(const QString &path);
    // Brings the window to the front with the contents list in hand.
    void showContents();

    QTreeWidget *contentsList() const { return m_contents; }
    QTextBrowser *textView() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitScreen();
    void findText(bool backward);
    void buildContents();
    void goTo(QTreeWidgetItem *item, bool withHistory);
    void followScroll();
    void followLink(const QUrl &link);

    QTreeWidget *m_contents = nullptr;
    HelpBrowser *m_text = nullptr;
    QToolBar *m_toolBar = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QLineEdit *m_find = nullptr;
    QList<HelpHeading> m_headings;
    QUrl m_source;
    // Set while the view moves on the list's behalf, so the list does not
    // move along with the view.
    bool m_navigating = false;
    // Set by a key pressed in the contents list, until it moves the list.
    bool m_keyStep = false;
};
