#pragma once

#include "LyricWindow.h"

#include <QList>
#include <QStringList>
#include <functional>

// A window for engine tests: plain text, queued message-box answers, and a
// record of every box shown.
class FakeWindow : public LyricWindow
{
public:
    struct Box {
        QString prompt;
        MsgButtons buttons;
        MsgIcon icon;
        QString title;
    };

    QString m_text;
    qsizetype selStart = -1;
    QList<MsgAnswer> answers; // when empty, boxes are answered with Cancel
    QList<Box> boxes;
    bool unloaded = false;
    std::function<void()> onBox; // runs while a box is up, before it is answered

    QString text() const override { return m_text; }
    void setText(const QString &t) override
    {
        m_text = t;
        selStart = 0;
    }
    void setSelStart(qsizetype pos) override { selStart = pos; }
    MsgAnswer messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                         const QString &title) override
    {
        boxes.append({prompt, buttons, icon, title});
        if (onBox)
            onBox();
        if (answers.isEmpty())
            return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
        return answers.takeFirst();
    }
    void unload() override { unloaded = true; }
};
