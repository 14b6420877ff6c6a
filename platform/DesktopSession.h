#pragma once

// What both programs need from the desktop they run on.
namespace DesktopSession
{
// Whether Qt will find a screen. Without an X or a Wayland display (and no
// other platform plugin chosen in QT_QPA_PLATFORM) Qt would abort with its own
// English message; this says so in one Japanese line on standard error
// instead. Call it before the application object exists.
bool screenAvailable();

// Names the desktop entry (so Wayland docks match the windows to it) and gives
// the interface a proportional Japanese font. Call it right after the
// application object exists.
void setUp();
} // namespace DesktopSession
