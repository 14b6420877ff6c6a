#include "HelpFile.h"

#include <QFile>
#include <QFileInfo>

namespace
{

// Far beyond any help document; a larger file is something else and is not
// read into memory at all.
constexpr qint64 MaxHelpBytes = 16 * 1024 * 1024;

QString readFailure(QFileDevice::FileError error)
{
    if (error == QFileDevice::PermissionsError)
        return QStringLiteral("読み取りの許可がありません");
    return QStringLiteral("ファイルを開けません");
}

} // namespace

HelpFile::Status HelpFile::check(const QString &path, QString *reason)
{
    if (path.isEmpty())
        return Status::NotNamed;
    const QFileInfo info(path);
    if (!info.exists())
        return Status::Missing;
    if (info.isDir()) {
        if (reason)
            *reason = QStringLiteral("ファイルではなくフォルダーです");
        return Status::Unreadable;
    }
    if (info.size() > MaxHelpBytes)
        return Status::NotHtml;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = readFailure(file.error());
        return Status::Unreadable;
    }
    const QByteArray bytes = file.read(MaxHelpBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = QStringLiteral("読み込みの途中で失敗しました");
        return Status::Unreadable;
    }
    // Binary help files and other binary data hold NUL bytes; HTML never does.
    if (bytes.size() > MaxHelpBytes || bytes.contains('\0'))
        return Status::NotHtml;
    if (!bytes.toLower().contains("<html"))
        return Status::NotHtml;
    return Status::Ok;
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
        page += QStringLiteral("<p>ファイル: <code>") + path.toHtmlEscaped() +
                QStringLiteral("</code></p>");
    page += QStringLiteral("<p>") + advice.toHtmlEscaped() + QStringLiteral("</p></body></html>");
    return page;
}
