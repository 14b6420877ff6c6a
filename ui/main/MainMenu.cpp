#include "MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace
{

QMenu *addMenu(QMenuBar *bar, const char *name, const QString &caption)
{
    QMenu *menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                 const QKeySequence &shortcut = {})
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    return item;
}

} // namespace

MainMenu MainMenu::build(QMenuBar *bar)
{
    MainMenu m;

    m.mnuFile = addMenu(bar, "mnuFile", QStringLiteral("作詞(&F)"));
    m.mnuNew = addItem(m.mnuFile, "mnuNew", QStringLiteral("新規作詞(&N)"),
                       QKeySequence(Qt::CTRL | Qt::Key_N));
    m.mnuRepeat = addItem(m.mnuFile, "mnuRepeat", QStringLiteral("追加作詞(&R)"),
                          QKeySequence(Qt::CTRL | Qt::Key_Y));
    m.mnuSep1 = m.mnuFile->addSeparator();
    m.mnuSep1->setObjectName(QStringLiteral("mnuSep1"));
    m.mnuFileSave = addItem(m.mnuFile, "mnuFileSave", QStringLiteral("上書保存(&S)"));
    m.mnuExit = addItem(m.mnuFile, "mnuExit", QStringLiteral("終了(&X)"));

    m.mnuEdit = addMenu(bar, "mnuEdit", QStringLiteral("編集(&E)"));
    m.mnuCut = addItem(m.mnuEdit, "mnuCut", QStringLiteral("切り取り(&T)"),
                       QKeySequence(Qt::CTRL | Qt::Key_X));
    m.mnuCopy = addItem(m.mnuEdit, "mnuCopy", QStringLiteral("コピー(&C)"),
                        QKeySequence(Qt::CTRL | Qt::Key_C));
    m.mnuPaste = addItem(m.mnuEdit, "mnuPaste", QStringLiteral("貼り付け(&P)"),
                         QKeySequence(Qt::CTRL | Qt::Key_V));
    m.mnuAll = addItem(m.mnuEdit, "mnuAll", QStringLiteral("すべて選択(&A)"),
                       QKeySequence(Qt::CTRL | Qt::Key_A));

    m.mnuHelp = addMenu(bar, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    m.mnuMokuji = addItem(m.mnuHelp, "mnuMokuji", QStringLiteral("目次(&C)"));
    m.mnuWeb = addItem(m.mnuHelp, "mnuWeb", QStringLiteral("Webに接続(&W)"));
    m.mnuVer = addItem(m.mnuHelp, "mnuVer", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));

    return m;
}

QList<QAction *> MainMenu::withShortcuts() const
{
    return {mnuNew, mnuRepeat, mnuCut, mnuCopy, mnuPaste, mnuAll};
}
