#include "TerminalWindow.h"

void TerminalWindow::setText(const QString &text)
{
    m_length = text.size();
    if (!m_sink) {
        m_text = text;
        return;
    }
    if (!text.isEmpty())
        m_sink(text);
}

bool TerminalWindow::appendText(const QString &tail)
{
    m_length += tail.size();
    if (m_sink)
        m_sink(tail);
    else
        m_text += tail;
    return true;
}

MsgAnswer TerminalWindow::messageBox(const QString &prompt, MsgButtons buttons, MsgIcon,
                                     const QString &)
{
    QString line = prompt;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(": "));
    m_messages.append(line);
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}
