#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace
{

QClipboard *systemClipboard()
{
    // Without a GUI application there is no clipboard to talk to.
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

// Plain text only: QMimeData::hasText() also counts a list of files, whose
// text() is then their file: URLs.
bool holdsText(const QMimeData *data)
{
    return data && data->hasFormat(QStringLiteral("text/plain"));
}

QString toPlatformLineEnds(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

bool Clipboard::Clear()
{
    QClipboard *cb = systemClipboard();
    if (!cb)
        return false;
    cb->clear(QClipboard::Clipboard);
    return true;
}

bool Clipboard::SetText(const QString &text)
{
    QClipboard *cb = systemClipboard();
    if (!cb)
        return false;
    const QString platformText = toPlatformLineEnds(text);
    cb->setText(platformText, QClipboard::Clipboard);
    // QClipboard does not report failure (for instance when another program
    // keeps the selection): read our own data back to find out.
    const QMimeData *data = cb->mimeData(QClipboard::Clipboard);
    return holdsText(data) && data->text() == platformText;
}

std::optional<QString> Clipboard::GetText()
{
    QClipboard *cb = systemClipboard();
    if (!cb)
        return std::nullopt;
    const QMimeData *data = cb->mimeData(QClipboard::Clipboard);
    if (!holdsText(data))
        return QString();
    return data->text();
}

std::optional<bool> Clipboard::GetFormat()
{
    QClipboard *cb = systemClipboard();
    if (!cb)
        return std::nullopt;
    const QMimeData *data = cb->mimeData(QClipboard::Clipboard);
    return holdsText(data);
}
