#pragma once

#include <QLabel>

// The window's status line (st): one line, centred, that assistive tools know as
// the status bar, named by its text; every new text is told to them (QLabel does
// that much itself). A text wider than the line is cut at its end with an
// ellipsis and shown whole in the tip, never cut at both ends as a centred label
// would; text() stays whole.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    // The text as drawn in the line's width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
