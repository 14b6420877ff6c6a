#pragma once

#include <QFrame>
#include <QPixmap>

// A picture box: an image inside a sunken two-pixel border. It is a stop of
// the Tab key, so it shows a focus rectangle while it holds the focus.
class IconPicture : public QFrame
{
    Q_OBJECT
public:
    explicit IconPicture(const QPixmap &picture, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
