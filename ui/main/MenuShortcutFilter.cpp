#include "MenuShortcutFilter.h"

#include <QAction>
#include <QKeyEvent>

MenuShortcutFilter::MenuShortcutFilter(QList<QAction *> items, QObject *parent)
    : QObject(parent), m_items(std::move(items))
{
}

bool MenuShortcutFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
    for (const QAction *item : std::as_const(m_items)) {
        if (item->isEnabled() && item->shortcut() == pressed) {
            // Left unaccepted, the override falls through to the shortcut.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
