#pragma once

#include <QLabel>

// The window's status line (st): a label that assistive tools know as the
// status bar, named by its text; every new text is told to them (QLabel does
// that much itself).
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);
};
