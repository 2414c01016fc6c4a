#include "programsetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// The layout was made for 8.25 pt Windows fonts; where they are missing, the
// nearest metric twins keep the captions within their places.
const QStringList MetricTwins = {u"Liberation Sans"_s, u"Arimo"_s, u"DejaVu Sans"_s};

} // namespace

QString ProgramFontFamily(const QString &windowsFamily)
{
    // The installed families as they are; asking hasFamily() would resolve aliases
    // through the font configuration, which costs more than the list.
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(windowsFamily, Qt::CaseInsensitive))
        return windowsFamily;
    for (const QString &twin : MetricTwins) {
        if (installed.contains(twin, Qt::CaseInsensitive))
            return twin;
    }
    return windowsFamily;
}

void SetUpProgram()
{
    QApplication::setApplicationName(u"tunetrawl"_s);
    QApplication::setOrganizationName(u"tunetrawl"_s);
    // Names of months and days come from the default locale: the program speaks Russian.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Fonts stored with the controls keep their Windows names and are matched to
    // a twin; the program's own fonts name the twin at once.
    for (const QString &family : {u"MS Sans Serif"_s, u"Tahoma"_s})
        QFont::insertSubstitutions(family, MetricTwins);
    QFont font(ProgramFontFamily(u"MS Sans Serif"_s));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}
