#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;

// The door to the help viewer. A request names an owner window, the help
// file, a help command and its data, the way desktop help calls always have;
// the only command the program uses is ContentsCommand. The viewer is our own
// program lyrmak-help, started beside the running executable and left to live
// on its own.
namespace HelpLauncher
{

// Asks the viewer for the contents page of the file.
inline constexpr quint32 ContentsCommand = 11;

struct Request {
    QWidget *owner = nullptr;
    QString helpFile;
    quint32 command = 0;
    quintptr data = 0;
};

// Passes the request on; returns at once, reports nothing.
void show(QWidget *owner, const QString &helpFile, quint32 command, quintptr data);

// The executable show() starts: lyrmak-help in the program's own folder.
QString viewerProgram();

// Tests divert every request to a hook; an empty hook restores the viewer.
using Hook = std::function<void(const Request &)>;
void setHook(Hook hook);

} // namespace HelpLauncher
