#include "HelpBrowser.h"

#include "HelpFile.h"
#include "PosixTextReader.h"

#include <QFileInfo>
#include <QStringDecoder>

HelpBrowser::HelpBrowser(QWidget *parent) : QTextBrowser(parent) {}

void HelpBrowser::setHelpFile(const QString &helpFile)
{
    const QString real = QFileInfo(helpFile).canonicalFilePath();
    m_folder = real.isEmpty() ? QString() : QFileInfo(real).absolutePath();
}

QString HelpBrowser::fileInFolder(const QUrl &url) const
{
    const QUrl full = url.isRelative() ? source().resolved(url) : url;
    if (m_folder.isEmpty() || !full.isLocalFile())
        return {};
    // Canonical on both sides, so that neither "../" nor a link leads out.
    const QFileInfo info(full.toLocalFile());
    const QString real = info.canonicalFilePath();
    const QString inside = m_folder.endsWith(QLatin1Char('/')) ? m_folder : m_folder + '/';
    if (!real.startsWith(inside) || !QFileInfo(real).isFile())
        return {};
    return real;
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    // An empty value, not a null one: with a null one the document would
    // go and read the file itself.
    const QVariant refused = QByteArray();
    const QString file = fileInFolder(name);
    QByteArray bytes;
    if (file.isEmpty() || !PosixTextReader::readRegularFile(file, bytes, HelpFile::MaxBytes).ok() ||
        bytes.size() > HelpFile::MaxBytes)
        return refused;
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
        QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringDecoder::Utf8);
        return QString(decoder(bytes));
    }
    return bytes;
}
