#pragma once

#include "FrameCentring.h"
#include "LyricEngine.h"
#include "LyricWindow.h"
#include "MainMenu.h"
#include "TextBox.h"

#include <QMainWindow>
#include <memory>

class Clipboard;
class Clock;
class FileSystem;
class RandomSource;
class frmAbout;
class frmWeb;

// The main window: a fixed-size frame holding the lyrics text area txtMain
// and the menu bar. Each menu item runs one handler; the lyric commands go to
// the engine, the edit commands work on txtMain and the clipboard, Save
// appends to Lyrmak.dat in the program folder. Closing the window (Exit, the
// close box or the window menu) asks nothing and saves nothing.
class frmLyrmak : public QMainWindow, public LyricWindow
{
    Q_OBJECT
public:
    frmLyrmak(FileSystem &files, Clock &clock, RandomSource &random, Clipboard &clipboard,
              QWidget *parent = nullptr);
    ~frmLyrmak() override;

    // Runs the start-up sequence; false when the window was unloaded and must
    // never be shown.
    bool load();

    LyricEngine &engine() { return m_engine; }
    TextBox &txtMain() { return m_txtMain; }

    // LyricWindow
    QString text() const override;
    void setText(const QString &text) override;
    void setSelStart(qsizetype pos) override;
    MsgAnswer messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                         const QString &title) override;
    void unload() override;
    bool appendText(const QString &tail) override;

    // Append lyrics stops short of this length: Qt's text document does not
    // survive running out of memory, and this is far beyond any real session.
    static constexpr qsizetype MaxTextLength = 2'000'000;
    qsizetype textLength() const override;

    // Menu handlers.
    void mnuNew_Click();
    void mnuRepeat_Click();
    void mnuFileSave_Click();
    void mnuExit_Click();
    void mnuEdit_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuAll_Click();
    void mnuMokuji_Click();
    void mnuWeb_Click();
    void mnuVer_Click();

protected:
    bool event(QEvent *event) override;

private:
    void applyDesign();
    void connectMenu();

    // First: event() reads them while the members below are being built.
    FrameCentring m_centring;
    FileSystem &m_files;
    Clipboard &m_clipboard;
    LyricEngine m_engine;
    QWidget *m_client;
    TextBox m_txtMain;
    MainMenu m_menu;
    std::unique_ptr<frmAbout> m_about;
    std::unique_ptr<frmWeb> m_web;
};
