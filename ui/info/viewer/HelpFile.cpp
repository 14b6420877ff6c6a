#include "HelpFile.h"

#include "HtmlShape.h"
#include "NativePath.h"
#include "PosixTextReader.h"
#include "TextCodec.h"

#include <QStringDecoder>

HelpFile::Status HelpFile::check(const QString &path, QString *reason)
{
    if (path.isEmpty())
        return Status::NotNamed;
    // Read without waiting: a FIFO or a device in its place is refused, not
    // opened and read for ever. A larger file is read only this far.
    QByteArray bytes;
    const FileError e = PosixTextReader::readRegularFile(path, bytes, MaxBytes);
    switch (e.kind) {
    case FileError::Kind::None:
        break;
    case FileError::Kind::NotFound:
    case FileError::Kind::PathNotFound:
        return Status::Missing;
    case FileError::Kind::AccessDenied:
        if (reason)
            *reason = QStringLiteral("読み取りの許可がありません");
        return Status::Unreadable;
    default:
        if (reason)
            *reason = e.description();
        return Status::Unreadable;
    }
    // Binary help files and other binary data hold NUL bytes; HTML never does.
    if (bytes.size() > MaxBytes || bytes.contains('\0'))
        return Status::NotHtml;
    if (!bytes.toLower().contains("<html"))
        return Status::NotHtml;
    if (!HtmlShape::of(text(bytes)).fits())
        return Status::TooComplex;
    return Status::Ok;
}

QString HelpFile::text(const QByteArray &bytes, bool *garbled)
{
    if (garbled)
        *garbled = false;
    QStringDecoder declared = QStringDecoder::decoderForHtml(bytes);
    if (declared.isValid() &&
        QByteArrayView(declared.name()).compare("UTF-8", Qt::CaseInsensitive) != 0) {
        QString text = declared(bytes);
        if (garbled)
            *garbled = declared.hasError();
        return text;
    }
    // Undeclared or declared UTF-8: help written on Japanese Windows is
    // often CP932 whatever it says.
    const TextCodec::Decoded decoded = TextCodec::decode(bytes);
    if (decoded.error.ok())
        return decoded.text;
    if (garbled)
        *garbled = true;
    return QString::fromUtf8(bytes);
}

QString HelpFile::problemPage(Status status, const QString &path, const QString &reason)
{
    QString what;
    QString advice;
    switch (status) {
    case Status::Ok:
        return {};
    case Status::NotNamed:
        what = QStringLiteral("表示するヘルプファイルが指定されていません。");
        advice =
            QStringLiteral("ヘルプは、ミルトナのメニュー「ﾍﾙﾌﾟ」の「目次」から開いてください。");
        break;
    case Status::Missing:
        what = QStringLiteral("ヘルプファイルが見つかりません。");
        advice = QStringLiteral(
            "ヘルプファイル LYRMAK.HLP は、プログラムと同じフォルダーに置いておく必要があります。"
            "消してしまったときは、ミルトナに付いている LYRMAK.HLP をもう一度置いてください。");
        break;
    case Status::Unreadable:
        what = QStringLiteral("ヘルプファイルを読み込めません（%1）。").arg(reason);
        advice = QStringLiteral(
            "ファイルの読み取りの許可と、ファイルが壊れていないかを確かめてください。");
        break;
    case Status::TooComplex:
        what = QStringLiteral("このページは、表や要素の入れ子が深すぎるか数が多すぎるため、"
                              "表示すると時間がかかりすぎます。");
        advice = QStringLiteral("ミルトナのヘルプは、ミルトナに付いている LYRMAK.HLP "
                                "で読めます。ほかの文書は、ブラウザーなどで開いてください。");
        break;
    case Status::NotHtml:
        what =
            QStringLiteral("このファイルは、ミルトナのヘルプとして表示できる形式ではありません。");
        advice = QStringLiteral(
            "ミルトナのヘルプは HTML 形式の文書です。ほかのプログラム用のヘルプファイル"
            "（WinHelp 形式など）は表示できません。"
            "ミルトナに付いている LYRMAK.HLP に置き換えてください。");
        break;
    }
    QString page =
        QStringLiteral("<html><body style=\"font-size: 11pt\"><h2>ヘルプを表示できません</h2><p>") +
        what.toHtmlEscaped() + QStringLiteral("</p>");
    if (!path.isEmpty())
        page += QStringLiteral("<p>ファイル: <code>") + NativePath::display(path).toHtmlEscaped() +
                QStringLiteral("</code></p>");
    page += QStringLiteral("<p>") + advice.toHtmlEscaped() + QStringLiteral("</p></body></html>");
    return page;
}
