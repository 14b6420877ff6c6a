#pragma once

#include "FakeClipboard.h"
#include "FakeClock.h"
#include "FakeFileSystem.h"
#include "FakeRandom.h"
#include "MessageBox.h"
#include "frmLyrmak.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTest>

// The real main window on a fake clipboard and, unless other files are
// given, on fake files holding one frame whose every filling is Filling.
struct MainWindowFixture {
    static inline const QString Filling = QStringLiteral("\r\nきら 星\r\n");
    FakeFileSystem fs;
    FakeClock clock;
    FakeRandom random;
    FakeClipboard clipboard;
    std::unique_ptr<frmLyrmak> window;

    explicit MainWindowFixture(FileSystem *files = nullptr)
    {
        QStringEncoder sjis("CP932");
        fs.files["/prog/LYRMAK.HLP"] = "help";
        for (const char *n : {"Gi", "Ad", "Vi", "Vt", "No"})
            fs.files[QStringLiteral("/prog/%1.dat").arg(n)] = sjis(n[0] == 'G' ? u"きら" : u"星");
        fs.files["/prog/Kasi.dat"] = "Gi No\r\n@\r\n";
        window = std::make_unique<frmLyrmak>(files ? *files : fs, clock, random, clipboard);
        if (!files)
            window->load();
        MessageBox::reset();
    }
    QAction *item(const char *name) const { return window->findChild<QAction *>(name); }
    TextBox &txt() const { return window->txtMain(); }
    // Shows the window with the keyboard focus, also where no window manager
    // activates it.
    bool showActive() const
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
};
