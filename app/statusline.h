#pragma once

#include <QLabel>

// The window's status line (st): one line, centred, that assistive tools know as
// the status bar, named by its text; every new text is told to them (QLabel does
// that much itself). A text wider than the line is cut at its end with an
// ellipsis and shown whole in the tip, never cut at both ends as a centred label
// would; text() stays whole. A detail, when set, is the tip's last line.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    // The text as drawn in the line's width.
    QString shownText() const;
    // A line more for the tip (where the last run stored its songs); "" for none.
    void setDetail(const QString &detail);
    QString detail() const { return Detail; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshTip(const QString &shown);

    QString Detail;
};
