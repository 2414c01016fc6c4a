#include "mainwindow.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"tunetrawl"_s);
    QApplication::setOrganizationName(u"tunetrawl"_s);
    // Names of months and days come from the default locale: the program speaks Russian.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    // Qt's own dialogs and buttons ("Да", "Нет", the folder chooser) in Russian too.
    QTranslator qtTexts;
    if (qtTexts.load(russian, u"qtbase"_s, u"_"_s,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    // The layout was made for 8.25 pt Windows fonts; where they are missing, the
    // nearest metric twins keep the captions within their places.
    for (const QString &family : {u"MS Sans Serif"_s, u"Tahoma"_s})
        QFont::insertSubstitutions(family, {u"Liberation Sans"_s, u"Arimo"_s, u"DejaVu Sans"_s});
    QFont font(u"MS Sans Serif"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);

    Main window;
    window.Load();
    window.show();
    return app.exec();
}
