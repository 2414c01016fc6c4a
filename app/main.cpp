#include "appinfo.h"
#include "commandline.h"
#include "mainwindow.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QLocale Russian(QLocale::Russian, QLocale::Russia);

// Qt's own texts (dialog buttons, the folder chooser, the command line's
// messages) in Russian, where the translations are installed.
void InstallQtTexts(QTranslator &qtTexts)
{
    if (qtTexts.load(Russian, u"qtbase"_s, u"_"_s,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

} // namespace

int main(int argc, char *argv[])
{
    {
        // --version and --help must work without a display, so the command line is
        // read before a QApplication (which connects to one) exists.
        QCoreApplication probe(argc, argv);
        QTranslator qtTexts;
        InstallQtTexts(qtTexts);
        const CommandLineVerdict verdict = ReadCommandLine(QCoreApplication::arguments());
        if (!verdict.run) {
            std::fputs(verdict.out.toLocal8Bit().constData(), stdout);
            std::fputs(verdict.err.toLocal8Bit().constData(), stderr);
            return verdict.exitCode;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"tunetrawl"_s);
    QApplication::setOrganizationName(u"tunetrawl"_s);
    // Ties the window to its desktop entry (taskbar grouping, the icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral(TUNETRAWL_APP_ID));
    // Names of months and days come from the default locale: the program speaks Russian.
    QLocale::setDefault(Russian);
    QTranslator qtTexts;
    InstallQtTexts(qtTexts);
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
