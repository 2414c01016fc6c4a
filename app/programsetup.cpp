#include "programsetup.h"

#include <QApplication>
#include <QFont>
#include <QLocale>

using namespace Qt::StringLiterals;

void SetUpProgram()
{
    QApplication::setApplicationName(u"tunetrawl"_s);
    QApplication::setOrganizationName(u"tunetrawl"_s);
    // Names of months and days come from the default locale: the program speaks Russian.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // The layout was made for 8.25 pt Windows fonts; where they are missing, the
    // nearest metric twins keep the captions within their places.
    for (const QString &family : {u"MS Sans Serif"_s, u"Tahoma"_s})
        QFont::insertSubstitutions(family, {u"Liberation Sans"_s, u"Arimo"_s, u"DejaVu Sans"_s});
    QFont font(u"MS Sans Serif"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}
