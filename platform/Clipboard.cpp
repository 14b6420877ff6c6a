#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

namespace
{

QClipboard *systemClipboard()
{
    // Without a GUI application there is no clipboard to talk to.
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

const QString PlainText = QStringLiteral("text/plain");

// The first text/plain format with a charset that can be decoded.
QString charsetFormat(const QMimeData *data, QStringDecoder *decoder = nullptr)
{
    for (const QString &format : data->formats()) {
        if (!format.startsWith(PlainText + QLatin1Char(';')))
            continue;
        const qsizetype at = format.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        const QString charset =
            format.mid(at + 8).section(QLatin1Char(';'), 0, 0).remove(QLatin1Char('"')).trimmed();
        QStringDecoder d(charset.toLatin1().constData());
        if (!d.isValid())
            continue;
        if (decoder)
            *decoder = std::move(d);
        return format;
    }
    return QString();
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

// Plain text only: QMimeData::hasText() also counts a list of files, whose
// text() is then their file: URLs.
bool Clipboard::holdsText(const QMimeData *data)
{
    return data && (data->hasFormat(PlainText) || !charsetFormat(data).isEmpty());
}

QString Clipboard::textOf(const QMimeData *data)
{
    if (!data)
        return QString();
    if (data->hasFormat(PlainText))
        return data->text();
    QStringDecoder decoder;
    const QString format = charsetFormat(data, &decoder);
    return format.isEmpty() ? QString() : decoder.decode(data->data(format));
}

std::optional<QString> Clipboard::GetText()
{
    QClipboard *cb = systemClipboard();
    if (!cb)
        return std::nullopt;
    const QMimeData *data = cb->mimeData(QClipboard::Clipboard);
    return textOf(data);
}

std::optional<bool> Clipboard::GetFormat()
{
    QClipboard *cb = systemClipboard();
    if (!cb)
        return std::nullopt;
    const QMimeData *data = cb->mimeData(QClipboard::Clipboard);
    return holdsText(data);
}
