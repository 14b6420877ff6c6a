#pragma once

#include "MessageKind.h"

#include <QList>
#include <QString>

class QWidget;

// Modal message boxes with Japanese buttons whatever the locale. Tests queue
// answers with setNextAnswer(); while answers are queued no box is shown and
// each request is recorded instead.
class MessageBox
{
public:
    struct Shown {
        QString prompt;
        MsgButtons buttons;
        MsgIcon icon;
        QString title;
    };

    static MsgAnswer show(QWidget *parent, const QString &prompt, MsgButtons buttons, MsgIcon icon,
                          const QString &title);

    static void setNextAnswer(MsgAnswer answer);
    static QList<Shown> takeShown();
    static void reset();
};
