#pragma once

#include <QString>

class QPlainTextEdit;
class QWidget;

// The lyrics text area as the rest of the program sees it. Its Text uses CR LF
// line breaks and its positions count a CR LF as two characters, while the
// widget keeps one paragraph separator per break. This class is the only place
// that converts between the two.
//
// Coming in, CR LF, a lone CR, a lone LF, U+2028, U+2029 and U+0085 each make
// one line break (text pasted from other programs often has LF alone, web
// pages and word processors the others); going out, every break reads as
// CR LF. Other characters, no-break spaces included, pass unchanged.
//
// The widget cannot put a position between the CR and the LF of a break: such
// a position moves back to just before the CR, so a selection never holds
// half a break and SelStart may read back one less than was set.
class TextBox
{
public:
    // Creates the text area as a child of parent.
    explicit TextBox(QWidget *parent);

    QPlainTextEdit *widget() const { return m_edit; }

    // Text with every kind of line break as the widget's paragraph break.
    static QString toWidgetText(const QString &text);

    QString Text() const;
    void setText(const QString &text);
    // As setText, but as one step that Undo takes back.
    void replaceText(const QString &text);
    // Length of Text, found without building it.
    qsizetype textLength() const;
    // Adds to the end without touching the text already there.
    void appendText(const QString &tail);

    qsizetype SelStart() const;
    // Moves the caret; nothing stays selected.
    void setSelStart(qsizetype pos);
    qsizetype SelLength() const;
    // Selects from SelStart on, at most to the end of the text.
    void setSelLength(qsizetype length);
    QString SelText() const;
    // Replaces the selection (or inserts at the caret); the caret ends behind
    // the new text with nothing selected.
    void setSelText(const QString &text);

private:
    int toDocument(qsizetype pos) const;
    qsizetype fromDocument(int pos) const;

    QPlainTextEdit *m_edit;
};
