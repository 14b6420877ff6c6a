#include "HelpBrowser.h"

#include "HelpFile.h"
#include "HtmlShape.h"
#include "NativePath.h"
#include "PosixTextReader.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QStyle>

namespace
{

// Code is shown exactly as it must be typed. Qt gives code a family that is
// not installed, so fontconfig picks the font per script, and beside kana
// that is IPAGothic, whose U+0027 is a curly apostrophe: an installed
// fixed-pitch family draws every ASCII character, a Japanese one the rest.
// Long lines wrap, so the text never needs a horizontal scroll bar.
QString codeStyle()
{
    const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    return QStringLiteral("pre, code, tt, kbd, samp { font-family: '%1', 'Noto Sans Mono CJK JP', "
                          "'Noto Sans CJK JP', monospace; }\n"
                          "pre { white-space: pre-wrap; }\n")
        .arg(fixed);
}

} // namespace

HelpBrowser::HelpBrowser(QWidget *parent) : QTextBrowser(parent)
{
    document()->setDefaultStyleSheet(codeStyle());
    // A path or an address longer than the line breaks anywhere.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void HelpBrowser::changeEvent(QEvent *event)
{
    QTextBrowser::changeEvent(event);
    // Pages take their colours from the palette when they are read.
    if (event->type() == QEvent::PaletteChange && source().isValid())
        reload();
}

void HelpBrowser::setHelpFile(const QString &helpFile)
{
    const QString real = NativePath::canonical(helpFile);
    m_folder = real.isEmpty() ? QString() : real.left(qMax(real.lastIndexOf(QLatin1Char('/')), 1));
}

QString HelpBrowser::fileInFolder(const QUrl &url) const
{
    const QUrl full = url.isRelative() ? source().resolved(url) : url;
    if (m_folder.isEmpty() || !full.isLocalFile())
        return {};
    // Canonical on both sides, so that neither "../" nor a link leads out.
    const QString real = NativePath::canonical(NativePath::localFile(full));
    const QString inside = m_folder.endsWith(QLatin1Char('/')) ? m_folder : m_folder + '/';
    if (!real.startsWith(inside) || !NativePath::isFile(real))
        return {};
    return real;
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    const QString file = fileInFolder(name);
    QByteArray bytes;
    const bool read = !file.isEmpty() &&
                      PosixTextReader::readRegularFile(file, bytes, HelpFile::MaxBytes).ok() &&
                      bytes.size() <= HelpFile::MaxBytes;
    if (type == QTextDocument::ImageResource) {
        // Always an image: given anything else, the text layout would load
        // the image file by itself, by the name the page gives.
        QImage image;
        if (read)
            image.loadFromData(bytes);
        if (image.isNull())
            image = brokenImage();
        return image;
    }
    // Empty rather than null when refused: given null, the document would
    // read the file by itself.
    if (!read)
        return type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource
                   ? QVariant(QString())
                   : QVariant(QByteArray());
    if (type == QTextDocument::StyleSheetResource)
        return HelpFile::text(bytes);
    if (type == QTextDocument::HtmlResource) {
        bool garbled = false;
        const QString html = HelpFile::text(bytes, &garbled);
        // Vetted before Qt parses it: a page too deep or too large for Qt
        // would hang the viewer or crash it.
        if (!HtmlShape::of(html).fits()) {
            m_garbled = false;
            return HelpFile::problemPage(HelpFile::Status::TooComplex, file);
        }
        m_garbled = garbled;
        return html;
    }
    return bytes;
}

QImage HelpBrowser::brokenImage() const
{
    QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    QImage image = icon.pixmap(16, 16).toImage();
    if (image.isNull()) {
        image = QImage(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image;
}
