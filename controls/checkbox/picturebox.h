#pragma once

#include <QPixmap>
#include <QWidget>

// A picture area that paints its picture unchanged from its top left corner,
// also while disabled (a label would grey a disabled picture out).
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    QPixmap picture() const { return shown; }
    void setPicture(const QPixmap &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap shown;
};
