#pragma once

#include "LyricEngine.h"
#include "LyricWindow.h"

#include <QMainWindow>

class QPlainTextEdit;
class QAction;
class Clock;
class FileSystem;
class RandomSource;

// The main window: the lyrics text area and the menu bar.
class frmLyrmak : public QMainWindow, public LyricWindow
{
    Q_OBJECT
public:
    frmLyrmak(FileSystem &files, Clock &clock, RandomSource &random, QWidget *parent = nullptr);

    // Runs the start-up sequence; false when the window was unloaded and must
    // never be shown.
    bool load();

    // LyricWindow
    QString text() const override;
    void setText(const QString &text) override;
    void setSelStart(qsizetype pos) override;
    MsgAnswer messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                         const QString &title) override;
    void unload() override;

    LyricEngine &engine() { return m_engine; }

private:
    void createActions();

    LyricEngine m_engine;
    QPlainTextEdit *m_txtMain = nullptr;
};
