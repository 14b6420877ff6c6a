#include "MessageBox.h"

#include "NativePath.h"

#include <QMessageBox>
#include <QPushButton>

namespace
{
QList<MsgAnswer> g_answers;
QList<MessageBox::Shown> g_shown;
} // namespace

void MessageBox::setNextAnswer(MsgAnswer answer)
{
    g_answers.append(answer);
}

QList<MessageBox::Shown> MessageBox::takeShown()
{
    return std::exchange(g_shown, {});
}

void MessageBox::reset()
{
    g_answers.clear();
    g_shown.clear();
}

MsgAnswer MessageBox::show(QWidget *parent, const QString &prompt, MsgButtons buttons, MsgIcon icon,
                           const QString &title)
{
    if (!g_answers.isEmpty()) {
        g_shown.append({prompt, buttons, icon, title});
        return g_answers.takeFirst();
    }

    QMessageBox box(parent);
    box.setWindowTitle(title);
    // The prompt keeps CR LF line breaks; the label wants plain LF. A path
    // that is not UTF-8 shows its odd bytes as U+FFFD.
    QString text = NativePath::display(prompt);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    if (buttons == MsgButtons::Ok) {
        QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return MsgAnswer::Ok;
    }
    QPushButton *retry = box.addButton(QStringLiteral("再試行(&R)"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(retry);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == retry ? MsgAnswer::Retry : MsgAnswer::Cancel;
}
