#pragma once

#include <QList>

class QAction;
class QMenu;
class QMenuBar;

// The main window's menu bar: every menu and item, created in one place with
// its caption, access key, shortcut key and object name. The window connects
// the items to its handlers.
struct MainMenu {
    QMenu *mnuFile = nullptr;
    QAction *mnuNew = nullptr;
    QAction *mnuRepeat = nullptr;
    QAction *mnuSep1 = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuExit = nullptr;

    QMenu *mnuEdit = nullptr;
    QAction *mnuCut = nullptr;
    QAction *mnuCopy = nullptr;
    QAction *mnuPaste = nullptr;
    QAction *mnuAll = nullptr;

    QMenu *mnuHelp = nullptr;
    QAction *mnuMokuji = nullptr;
    QAction *mnuWeb = nullptr;
    QAction *mnuVer = nullptr;

    static MainMenu build(QMenuBar *bar);

    // The items that have a shortcut key.
    QList<QAction *> withShortcuts() const;
};
