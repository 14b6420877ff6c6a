#include "LyricEdit.h"

#include "Clipboard.h"
#include "TextBox.h"

#include <QKeyEvent>
#include <QMimeData>

LyricEdit::LyricEdit(QWidget *parent) : QPlainTextEdit(parent) {}

void LyricEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::InsertLineSeparator)) {
        QKeyEvent enter(event->type(), event->key(),
                        event->modifiers() &
                            ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::MetaModifier),
                        event->text(), event->isAutoRepeat(), ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&enter);
        event->setAccepted(enter.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool LyricEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return Clipboard::holdsText(source);
}

void LyricEdit::insertFromMimeData(const QMimeData *source)
{
    if (!canInsertFromMimeData(source))
        return;
    QTextCursor c = textCursor();
    c.insertText(TextBox::toWidgetText(Clipboard::textOf(source)));
    setTextCursor(c);
    ensureCursorVisible();
}

QMimeData *LyricEdit::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    data->setText(text);
    return data;
}
