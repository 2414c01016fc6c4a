#pragma once

#include "prompts.h"

#include <QStringList>

// Answers the window's dialogs from a script and records what was asked.
class FakePrompts : public Prompts
{
public:
    struct Shown
    {
        QString kind, title, text;
    };

    QList<Shown> *shown;
    QString folderAnswer;
    bool questionAnswer = false;
    bool openAnswer = true; // the desktop took the address
    QString folderStart;    // where the chooser was asked to open
    QStringList *openedUrls;

    FakePrompts(QList<Shown> *shown, QStringList *openedUrls) : shown(shown), openedUrls(openedUrls)
    {}

    void information(QWidget *, const QString &title, const QString &text) override
    {
        shown->append({QStringLiteral("information"), title, text});
    }
    bool question(QWidget *, const QString &title, const QString &text) override
    {
        shown->append({QStringLiteral("question"), title, text});
        return questionAnswer;
    }
    QString browseForFolder(QWidget *, const QString &title, const QString &start) override
    {
        folderStart = start;
        shown->append({QStringLiteral("folder"), title, QString()});
        return folderAnswer;
    }
    bool openUrl(const QString &url) override
    {
        openedUrls->append(url);
        return openAnswer;
    }
};
