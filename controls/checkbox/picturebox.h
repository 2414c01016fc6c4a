#pragma once

#include "checkpicture.h"

#include <QWidget>

// The box's picture area: paints the state picture it is told from its top left
// corner, drawn for the pixel ratio of its screen, and unchanged while disabled
// (a label would grey a disabled picture out). A focused box shows its frame
// in the highlight colour.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    CheckPicture picture() const { return shown; }
    bool focusShown() const { return focused; }
    void setLook(CheckPicture picture, bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CheckPicture shown = CheckPicture::IdleNoValue;
    bool focused = false;
};
