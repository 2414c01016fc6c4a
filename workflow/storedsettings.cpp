#include "storedsettings.h"

#include "stationtable.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Where the stand-in chart site listens by default (see the README).
const QString DefaultHost = u"127.0.0.1:8765"_s;

QString Key(const char16_t *name)
{
    return u"Main/"_s + QString::fromUtf16(name);
}

QString Text(const QSettings &store, const char16_t *name)
{
    return store.value(Key(name)).toString();
}

QString BoolText(bool value)
{
    return value ? u"True"_s : u"False"_s;
}

} // namespace

StoredSettings StoredSettings::read(const QSettings &store)
{
    StoredSettings stored;
    bool isNumber = false;
    const int station = Text(store, u"Station").toInt(&isNumber);
    if (isNumber && station >= 0 && station < int(StationTable().size()))
        stored.station = station;
    stored.path = Text(store, u"Path");
    const QString noNum = Text(store, u"NoNum");
    stored.noNumbers = noNum.isEmpty() || noNum == u"True";
    stored.dayFolders = Text(store, u"SubFolsers") == u"True";
    stored.lastUpdate = Text(store, u"LastUpdate");
    stored.chartHost = store.value(Key(u"ChartHost"), DefaultHost).toString();
    stored.updateHost = store.value(Key(u"UpdateHost"), DefaultHost).toString();
    const int parallel = Text(store, u"Parallel").toInt(&isNumber);
    stored.parallel = isNumber ? std::clamp(parallel, 1, MaxParallel) : AutoParallel;
    return stored;
}

SettingsWriter::Values StoredSettings::choices(int station, const QString &folder, bool noNumbers,
                                               bool dayFolders)
{
    SettingsWriter::Values values{{Key(u"Station"), QString::number(station)}};
    if (QFileInfo(folder).isDir())
        values.append({Key(u"Path"), folder});
    values.append({Key(u"NoNum"), BoolText(noNumbers)});
    values.append({Key(u"SubFolsers"), BoolText(dayFolders)});
    return values;
}

SettingsWriter::Values StoredSettings::updateStamp(const QString &day)
{
    return {{Key(u"LastUpdate"), day}};
}

QString StoredSettings::siteUrl(const QString &host)
{
    if (host.startsWith(u"http://") || host.startsWith(u"https://"))
        return host.endsWith(u'/') ? host.chopped(1) : host;
    return u"http://"_s + host;
}
