#include "prompts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

void Prompts::information(QWidget *owner, const QString &title, const QString &text)
{
    QMessageBox::information(owner, title, text, QMessageBox::Ok);
}

bool Prompts::question(QWidget *owner, const QString &title, const QString &text)
{
    return QMessageBox::question(owner, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

QString Prompts::browseForFolder(QWidget *owner, const QString &title, const QString &startFolder)
{
    const QString path = QFileDialog::getExistingDirectory(owner, title, startFolder);
    return QDir::toNativeSeparators(path);
}

bool Prompts::openUrl(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url));
}
