#pragma once

#include <QPlainTextEdit>

// The widget under the lyrics text area. Every line break it takes in, by
// key, paste, middle click or drop, is an ordinary paragraph break, so the
// text reads back with CR LF only; and it exchanges plain text alone.
class LyricEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LyricEdit(QWidget *parent);

protected:
    // Shift+Enter would insert U+2028, which looks like a line break but is
    // a character CP932 cannot write: it breaks the line like Enter.
    void keyPressEvent(QKeyEvent *event) override;
    // Only plain text: a file list or a picture would come in as a file: URL.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
};
