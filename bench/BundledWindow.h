#pragma once

#include "Clipboard.h"
#include "FolderFileSystem.h"
#include "MtRandom.h"
#include "SystemClock.h"
#include "frmLyrmak.h"

// The main window on the bundled data, with the real files, clock, generator
// and clipboard, as the program starts it.
struct BundledWindow {
    FolderFileSystem files{QStringLiteral(LYRMAK_BUNDLED_DATA_DIR)};
    SystemClock clock;
    MtRandom random;
    Clipboard clipboard;
    frmLyrmak window{files, clock, random, clipboard};
};
