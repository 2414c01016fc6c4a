#include "commandline.h"

#include "appinfo.h"
#include "pathutil.h"
#include "stationtable.h"
#include "storedsettings.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDir>

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

// The options of a job without a window.
struct JobOptions
{
    QCommandLineOption station{u"station"_s,
                               u"Радиостанция: номер в списке (1–7), название или имя на "
                               "сайте (nashe); запускает работу без окна."_s,
                               u"станция"_s};
    QCommandLineOption date{u"date"_s,
                            u"День плейлиста: today, yesterday или дд.ММ.гггг (по умолчанию "
                            "today)."_s,
                            u"день"_s};
    QCommandLineOption all{u"all"_s,
                           u"Скачать все песни плейлиста, у которых есть адрес (так и без "
                           "--songs)."_s};
    QCommandLineOption songs{u"songs"_s, u"Скачать песни с этими номерами, например 1,4,7-12."_s,
                             u"список"_s};
    QCommandLineOption onlyNew{u"only-new"_s,
                               u"Из них только те, которых ещё нет в каталоге станции "
                               "(ни в каком подкаталоге, с номером или без)."_s};
    QCommandLineOption folder{u"folder"_s,
                              u"Каталог для сохранения (по умолчанию сохранённый в "
                              "настройках)."_s,
                              u"каталог"_s};
    QCommandLineOption numbers{u"numbers"_s, u"Номер песни перед именем файла."_s};
    QCommandLineOption noNumbers{u"no-numbers"_s, u"Имена файлов без номеров."_s};
    QCommandLineOption dayFolders{u"day-folders"_s, u"Подкаталог с датой в каталоге станции."_s};
    QCommandLineOption noDayFolders{u"no-day-folders"_s, u"Без подкаталога с датой."_s};
    QCommandLineOption parallel{u"parallel"_s,
                                u"Сколько песен скачивать одновременно: auto (выбирает "
                                "сама программа, от 4 до 16) или от 1 до 16 (по умолчанию из "
                                "настроек, иначе auto)."_s,
                                u"N"_s};
    QCommandLineOption quiet{u"quiet"_s,
                             u"Не показывать ход работы и итог; только ошибки и неудачные "
                             "песни."_s};
    QCommandLineOption list{u"list"_s,
                            u"Только показать песни плейлиста (номер, название, имя файла, "
                            "адрес) и выйти."_s};
    QCommandLineOption json{u"json"_s, u"С --list: список в формате JSON."_s};

    QList<QCommandLineOption> every() const
    {
        return {station,   date,       all,          songs,    onlyNew, folder, numbers,
                noNumbers, dayFolders, noDayFolders, parallel, quiet,   list,   json};
    }
};

QString HelpEpilogue()
{
    QString text = u"\nРадиостанции:\n"_s;
    for (int i = 0; i < int(StationTable().size()); ++i)
        text += u"  %1  %2 (%3)\n"_s.arg(i + 1).arg(StationTable()[i].name, StationTable()[i].slug);
    text += u"\nБез окна песни сохраняются в подкаталог станции; строка о каждой песне —\n"
            "в стандартный вывод: номер, итог, имя файла, размер (и причина неудачи).\n"
            "Настройки программы берутся, но не меняются.\n"
            "\nКоды выхода без окна:\n"
            "  0    все заданные песни есть в каталоге\n"
            "  1    некоторые не скачаны, каждая названа с причиной\n"
            "  2    ошибка в командной строке или нет каталога для сохранения\n"
            "  3    плейлист не получен\n"
            "  130  прервано (Ctrl+C или SIGTERM); недокачанные файлы удалены\n"_s;
    return text;
}

// Reads the job's options; "" on success, else what is wrong.
QString ReadJob(const QCommandLineParser &parser, const JobOptions &o, JobRequest &job)
{
    if (!parser.isSet(o.station))
        return u"Укажите радиостанцию: --station."_s;
    job.station = JobRequest::stationFrom(parser.value(o.station));
    if (job.station < 0)
        return u"Нет такой радиостанции: «%1»."_s.arg(parser.value(o.station));
    const QString day = parser.isSet(o.date) ? parser.value(o.date) : u"today"_s;
    job.date = JobRequest::dateFrom(day, QDate::currentDate());
    if (job.date.isEmpty())
        return u"Неверная дата: «%1»; нужно today, yesterday или дд.ММ.гггг."_s.arg(day);
    if (parser.isSet(o.all) && parser.isSet(o.songs))
        return u"Укажите либо --all, либо --songs."_s;
    if (parser.isSet(o.songs)) {
        const std::optional<QList<int>> positions =
            JobRequest::positionsFrom(parser.value(o.songs));
        if (!positions)
            return u"Неверный список песен: «%1»; например 1,4,7-12."_s.arg(parser.value(o.songs));
        job.positions = *positions;
    }
    job.onlyNew = parser.isSet(o.onlyNew);
    if (parser.isSet(o.folder)) {
        const QString folder = parser.value(o.folder);
        if (folder.isEmpty())
            return u"Пустой --folder."_s;
        job.folder = WithTrailingSeparator(QDir::toNativeSeparators(QDir(folder).absolutePath()));
    }
    if (parser.isSet(o.numbers) && parser.isSet(o.noNumbers))
        return u"Укажите либо --numbers, либо --no-numbers."_s;
    if (parser.isSet(o.numbers) || parser.isSet(o.noNumbers))
        job.noNumbers = parser.isSet(o.noNumbers);
    if (parser.isSet(o.dayFolders) && parser.isSet(o.noDayFolders))
        return u"Укажите либо --day-folders, либо --no-day-folders."_s;
    if (parser.isSet(o.dayFolders) || parser.isSet(o.noDayFolders))
        job.dayFolders = parser.isSet(o.dayFolders);
    if (parser.isSet(o.parallel)) {
        bool isNumber = false;
        const QString value = parser.value(o.parallel);
        job.parallel = value == u"auto" ? StoredSettings::AutoParallel : value.toInt(&isNumber);
        if (value != u"auto" &&
            (!isNumber || job.parallel < 1 || job.parallel > StoredSettings::MaxParallel))
            return u"--parallel: auto или от 1 до %1."_s.arg(StoredSettings::MaxParallel);
    }
    job.quiet = parser.isSet(o.quiet);
    job.list = parser.isSet(o.list);
    job.json = parser.isSet(o.json);
    if (job.json && !job.list)
        return u"--json действует только вместе с --list."_s;
    return {};
}

} // namespace

CommandLineVerdict ReadCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Tunetrawl — загрузка песен из эфира радиостанций.\n"
        "Без параметров программа открывает окно; с --station делает всю работу без окна\n"
        "(для cron, таймеров systemd и планировщика заданий Windows)."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Показать эту справку и выйти."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s},
                                     u"Показать название и версию программы и выйти."_s);
    parser.addOption(help);
    parser.addOption(version);
    const JobOptions job;
    for (const QCommandLineOption &option : job.every())
        parser.addOption(option);
    AddToolkitOptions(parser);

    CommandLineVerdict verdict;
    const QString tryHelp = u"Справка: tunetrawl --help\n"_s;
    if (!parser.parse(arguments)) {
        verdict = {false, UsageError, {}, parser.errorText() + u'\n' + tryHelp, {}};
    } else if (parser.isSet(help)) {
        verdict = {false, 0, parser.helpText() + HelpEpilogue(), {}, {}};
    } else if (parser.isSet(version)) {
        verdict = {false, 0, u"Tunetrawl "_s + QStringLiteral(TUNETRAWL_VERSION) + u'\n', {}, {}};
    } else if (!parser.positionalArguments().isEmpty()) {
        verdict = {false,
                   UsageError,
                   {},
                   u"Лишний аргумент: «%1».\n"_s.arg(parser.positionalArguments().first()) +
                       tryHelp,
                   {}};
    } else {
        const QList<QCommandLineOption> options = job.every();
        const bool headless = std::any_of(options.begin(), options.end(),
                                          [&parser](const auto &o) { return parser.isSet(o); });
        if (headless) {
            JobRequest request;
            const QString wrong = ReadJob(parser, job, request);
            if (wrong.isEmpty())
                verdict.job = request;
            else
                verdict = {false, UsageError, {}, wrong + u'\n' + tryHelp, {}};
        }
    }
    return verdict;
}
