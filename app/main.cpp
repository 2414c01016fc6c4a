#include "appinfo.h"
#include "commandjob.h"
#include "commandline.h"
#include "console.h"
#include "mainwindow.h"
#include "programsetup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

const QLocale Russian(QLocale::Russian, QLocale::Russia);

// Qt's own texts (dialog buttons, the folder chooser, the command line's
// messages) in Russian: from Qt's installed translations, else from the
// translations folder beside the program, where a Windows package puts them.
void InstallQtTexts(QTranslator &qtTexts)
{
    for (const QString &folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QCoreApplication::applicationDirPath() + u"/translations"_s}) {
        if (qtTexts.load(Russian, u"qtbase"_s, u"_"_s, folder)) {
            QCoreApplication::installTranslator(&qtTexts);
            return;
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    {
        // --version, --help and a job without a window must work without a display,
        // so the command line is read before a QApplication (which connects to one)
        // exists; a job runs in this one.
        QCoreApplication probe(argc, argv);
        QTranslator qtTexts;
        InstallQtTexts(qtTexts);
        const CommandLineVerdict verdict = ReadCommandLine(QCoreApplication::arguments());
        if (!verdict.run) {
            // UTF-8, or a Windows console's own characters, whatever the code page.
            Console::write(Console::Stream::Out, verdict.out);
            Console::write(Console::Stream::Err, verdict.err);
            return verdict.exitCode;
        }
        if (verdict.job)
            return RunCommandJob(*verdict.job);
    }

    QApplication app(argc, argv);
    SetUpProgram();
    // Ties the window to its desktop entry (taskbar grouping, the icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral(TUNETRAWL_APP_ID));
    QTranslator qtTexts;
    InstallQtTexts(qtTexts);

    Main window;
    // The window shows once start-up, the update check included, is over.
    QObject::connect(&window, &Main::loaded, &window, &QWidget::show);
    window.Load();
    return app.exec();
}
