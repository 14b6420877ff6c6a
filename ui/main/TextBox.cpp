#include "TextBox.h"

#include "LyricEdit.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace
{

const QString CrLf = QStringLiteral("\r\n");

QString fromWidgetText(const QString &text)
{
    QString s = text;
    s.replace(QChar::ParagraphSeparator, CrLf);
    return s;
}

// Where a block starts in Text: every block before it ended in a CR LF, one
// character longer than the widget's separator.
qsizetype textStart(const QTextBlock &block)
{
    return qsizetype(block.position()) + block.blockNumber();
}

} // namespace

TextBox::TextBox(QWidget *parent) : m_edit(new LyricEdit(parent)) {}

QString TextBox::toWidgetText(const QString &text)
{
    QString s = text;
    s.replace(CrLf, QString(QChar::ParagraphSeparator));
    for (const char16_t lineBreak : {u'\r', u'\n', u'\u2028', u'\u0085'})
        s.replace(QChar(lineBreak), QChar::ParagraphSeparator);
    return s;
}

QString TextBox::Text() const
{
    // toRawText keeps every character as it is; toPlainText would turn
    // no-break spaces into plain ones.
    return fromWidgetText(m_edit->document()->toRawText());
}

void TextBox::setText(const QString &text)
{
    m_edit->setPlainText(toWidgetText(text));
}

void TextBox::replaceText(const QString &text)
{
    QTextCursor c(m_edit->document());
    c.select(QTextCursor::Document);
    c.insertText(toWidgetText(text));
}

qsizetype TextBox::textLength() const
{
    const QTextDocument *doc = m_edit->document();
    // characterCount() includes one separator per block, the last one too.
    return qsizetype(doc->characterCount()) - 1 + doc->blockCount() - 1;
}

void TextBox::appendText(const QString &tail)
{
    QTextCursor end(m_edit->document());
    end.movePosition(QTextCursor::End);
    end.insertText(toWidgetText(tail));
}

int TextBox::toDocument(qsizetype pos) const
{
    const QTextDocument *doc = m_edit->document();
    pos = std::clamp<qsizetype>(pos, 0, textLength());
    // The last block that starts at or before pos.
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (textStart(doc->findBlockByNumber(mid)) <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int lineLength = block.length() - 1;
    // Past the line's last character only the CR LF is left: a position
    // between its CR and LF belongs before the CR.
    const qsizetype offset = std::min<qsizetype>(pos - textStart(block), lineLength);
    return block.position() + int(offset);
}

qsizetype TextBox::fromDocument(int pos) const
{
    return qsizetype(pos) + m_edit->document()->findBlock(pos).blockNumber();
}

qsizetype TextBox::SelStart() const
{
    return fromDocument(m_edit->textCursor().selectionStart());
}

void TextBox::setSelStart(qsizetype pos)
{
    QTextCursor c = m_edit->textCursor();
    c.setPosition(toDocument(pos));
    m_edit->setTextCursor(c);
}

qsizetype TextBox::SelLength() const
{
    const QTextCursor c = m_edit->textCursor();
    return fromDocument(c.selectionEnd()) - fromDocument(c.selectionStart());
}

void TextBox::setSelLength(qsizetype length)
{
    const qsizetype start = SelStart();
    length = std::clamp<qsizetype>(length, 0, textLength() - start);
    QTextCursor c = m_edit->textCursor();
    c.setPosition(toDocument(start));
    c.setPosition(toDocument(start + length), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(c);
}

QString TextBox::SelText() const
{
    return fromWidgetText(m_edit->textCursor().selectedText());
}

void TextBox::setSelText(const QString &text)
{
    QTextCursor c = m_edit->textCursor();
    c.insertText(toWidgetText(text));
    m_edit->setTextCursor(c);
}
