#pragma once

#include <QLabel>

// The status line: one line, centred. A text wider than the line is cut at its
// end with an ellipsis and shown whole in the tip, never cut at both ends as a
// centred label would; text() stays whole.
class StatusLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The text as drawn in the line's width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
