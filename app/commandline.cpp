#include "commandline.h"

#include "appinfo.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace {

// Options QGuiApplication and QApplication take for themselves; they are accepted
// here so that they reach the toolkit instead of being refused.
void AddToolkitOptions(QCommandLineParser &parser)
{
    const auto hidden = [&parser](const QString &name, const QString &valueName) {
        QCommandLineOption option(name);
        if (!valueName.isEmpty())
            option.setValueName(valueName);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    };
    for (const QString &name :
         {u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s,
          u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s, u"session"_s, u"display"_s,
          u"geometry"_s, u"style"_s, u"stylesheet"_s, u"qmljsdebugger"_s})
        hidden(name, u"value"_s);
    for (const QString &name : {u"reverse"_s, u"widgetcount"_s})
        hidden(name, {});
}

} // namespace

CommandLineVerdict ReadCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(u"Tunetrawl — загрузка песен из эфира радиостанций.\n"
                                     "Программа работает в окне и других параметров не имеет."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Показать эту справку и выйти."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s},
                                     u"Показать название и версию программы и выйти."_s);
    parser.addOption(help);
    parser.addOption(version);
    AddToolkitOptions(parser);

    CommandLineVerdict verdict;
    const QString tryHelp = u"Справка: tunetrawl --help\n"_s;
    if (!parser.parse(arguments)) {
        verdict = {false, UsageError, {}, parser.errorText() + u'\n' + tryHelp};
    } else if (parser.isSet(help)) {
        verdict = {false, 0, parser.helpText(), {}};
    } else if (parser.isSet(version)) {
        verdict = {false, 0, u"Tunetrawl "_s + QStringLiteral(TUNETRAWL_VERSION) + u'\n', {}};
    } else if (!parser.positionalArguments().isEmpty()) {
        verdict = {false,
                   UsageError,
                   {},
                   u"Лишний аргумент: «%1».\n"_s.arg(parser.positionalArguments().first()) +
                       tryHelp};
    }
    return verdict;
}
