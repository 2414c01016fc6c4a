#pragma once

#include <QList>

#include <functional>

class Check;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QWidget;
class ucCalendar;

// The parts of the window that keyboard and assistive-tool access needs, as the
// window hands them over.
struct WindowAccessParts
{
    QWidget *window = nullptr;
    QLineEdit *dateBox = nullptr;
    QComboBox *stations = nullptr;
    QWidget *start = nullptr;
    QListView *songs = nullptr;
    QList<QPair<Check *, QLabel *>> boxes; // each with its caption, in reading order
    QLineEdit *folder = nullptr;
    QWidget *chooseFolder = nullptr;
    QWidget *progress = nullptr;
    ucCalendar *calendar = nullptr;
    std::function<void()> openCalendar; // as a click on the date box does
};

// What makes the window usable from the keyboard alone and through assistive
// tools: names for the inputs without a caption, the check boxes' captions,
// the Tab order, the date box's keys and focus that comes back after work.
void SetUpWindowAccess(const WindowAccessParts &parts);
