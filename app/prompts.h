#pragma once

#include <QString>

class QWidget;

// The window's dialogs and its door to the desktop, behind one seam so that the
// window's logic can run in tests without a person to answer.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A modal message with the information icon and an OK button.
    virtual void information(QWidget *owner, const QString &title, const QString &text);
    // A modal question with Yes and No; true for Yes.
    virtual bool question(QWidget *owner, const QString &title, const QString &text);
    // The chosen folder as the platform gives it, or "" when cancelled; the
    // chooser opens at startFolder when that exists.
    virtual QString browseForFolder(QWidget *owner, const QString &title,
                                    const QString &startFolder);
    // Hands an address (a web page, a folder) to the desktop's handler; false
    // when the desktop has none that took it.
    virtual bool openUrl(const QString &url);
};
