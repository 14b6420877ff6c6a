#include "TerminalWindow.h"

MsgAnswer TerminalWindow::messageBox(const QString &prompt, MsgButtons buttons, MsgIcon,
                                     const QString &)
{
    QString line = prompt;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(": "));
    m_messages.append(line);
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}
