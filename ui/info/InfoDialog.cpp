#include "InfoDialog.h"

#include "AppIcon.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace
{

// The design's twips were laid out for a 9-point proportional Japanese UI
// font on a 96-dpi screen. A fixed layout cannot follow a larger desktop
// font, so the dialogs keep that size, and prefer IPA P Gothic, whose
// metrics match the design's font; without it the desktop's family is used.
constexpr int DesignFontPixels = 12;
// The smallest text a label is shrunk to.
constexpr int MinFontPixels = 7;
const char DesignFontFamily[] = "IPAPGothic";

const char DesignHeight[] = "designHeight";

} // namespace

InfoDialog::InfoDialog(Twips::Size client, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowIcon(AppIcon::icon());
    setFixedSize(client.pixels());
    setModal(true);
    QFont f = font();
    f.setFamilies({QLatin1String(DesignFontFamily), f.family()});
    f.setPixelSize(DesignFontPixels);
    setFont(f);
}

void InfoDialog::showModal()
{
    Form_Load();
    fitLabels();
    readInScreenOrder();
    centreOnScreen();
    firstFocus()->setFocus(Qt::OtherFocusReason);
    exec();
}

void InfoDialog::unload()
{
    done(QDialog::Accepted);
}

void InfoDialog::place(QWidget *control, const Twips::Rect &rect)
{
    const QRect r = rect.pixels();
    control->setGeometry(r);
    control->setProperty(DesignHeight, r.height());
}

QLabel *InfoDialog::addLabel(const char *name, const Twips::Rect &rect)
{
    auto *label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    place(label, rect);
    return label;
}

void InfoDialog::chainTabOrder(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        setTabOrder(controls[i - 1], controls[i]);
}

// A label whose text needs more lines than its design height holds grows
// downwards, but only up to the next control below it; where even that room
// is too small (a font other than the design's, with taller or wider
// characters), its text gets smaller until it fits. A label never cuts off
// its text or covers another control.
void InfoDialog::fitLabels()
{
    const auto controls = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        const QVariant design = label->property(DesignHeight);
        if (!design.isValid() || !label->wordWrap())
            continue;
        label->setFont(QFont()); // the dialog's, as at the last showing may have changed
        const QRect r(label->pos(), QSize(label->width(), design.toInt()));
        int room = height() - r.top();
        for (const QWidget *other : controls) {
            const QRect o = other->geometry();
            if (other != label && o.top() >= r.bottom() && o.left() <= r.right() &&
                o.right() >= r.left())
                room = std::min(room, o.top() - r.top());
        }
        room = std::max(room, design.toInt());
        QFont f = label->font();
        while (label->heightForWidth(label->width()) > room && f.pixelSize() > MinFontPixels) {
            f.setPixelSize(f.pixelSize() - 1);
            label->setFont(f);
        }
        label->resize(label->width(),
                      std::clamp(label->heightForWidth(label->width()), design.toInt(), room));
    }
}

void InfoDialog::readInScreenOrder()
{
    QList<QWidget *> controls = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    std::stable_sort(controls.begin(), controls.end(), [](const QWidget *a, const QWidget *b) {
        const QPoint p = a->pos(), q = b->pos();
        return p.y() != q.y() ? p.y() < q.y() : p.x() < q.x();
    });
    // raise() moves a widget to the end of its parent's children; the
    // controls never overlap, so nothing changes on screen.
    for (QWidget *w : controls)
        w->raise();
}

// On the screen the user works on: the one holding the active window, else
// the one under the mouse, else the primary screen.
void InfoDialog::centreOnScreen()
{
    QScreen *screen = nullptr;
    if (QWidget *active = QApplication::activeWindow(); active && active != this)
        screen = active->screen();
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect r(QPoint(0, 0), size());
    r.moveCenter(screen->availableGeometry().center());
    setGeometry(r);
    m_centring.placed(r.topLeft(), screen->availableGeometry());
}

bool InfoDialog::event(QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool done = QDialog::event(event);
    m_centring.afterEvent(*this, type);
    return done;
}
