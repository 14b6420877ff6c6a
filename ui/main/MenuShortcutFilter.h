#pragma once

#include <QList>
#include <QObject>

class QAction;

// Lets menu shortcut keys win over the text area's own keys. QPlainTextEdit
// claims Ctrl+X, C, V, A and Y for its built-in actions by accepting the
// ShortcutOverride event Qt sends before it runs a shortcut; installed on the
// text area, this filter keeps that event from the widget for every enabled
// menu item's key, so the item's shortcut runs (once) and the widget never
// sees the key. While an item is disabled the widget keeps its own key, as Qt
// does for any focused widget.
class MenuShortcutFilter : public QObject
{
    Q_OBJECT
public:
    MenuShortcutFilter(QList<QAction *> items, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QAction *> m_items;
};
