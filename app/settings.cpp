#include "mainwindow.h"

#include "check.h"
#include "datetext.h"
#include "settingswriter.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Where the stand-in chart site listens by default (see the README).
const QString DefaultHost = u"127.0.0.1:8765"_s;

QString Key(const char16_t *name)
{
    return u"Main/"_s + QString::fromUtf16(name);
}

QString BoolText(bool value)
{
    return value ? u"True"_s : u"False"_s;
}

} // namespace

QString Main::ChartHost() const
{
    return settings->value(Key(u"ChartHost"), DefaultHost).toString();
}

QString Main::UpdateHost() const
{
    return settings->value(Key(u"UpdateHost"), DefaultHost).toString();
}

QString Main::SiteUrl(const QString &host)
{
    if (host.startsWith(u"http://") || host.startsWith(u"https://"))
        return host.endsWith(u'/') ? host.chopped(1) : host;
    return u"http://"_s + host;
}

int Main::Parallel() const
{
    bool isNumber = false;
    const int parallel = settings->value(Key(u"Parallel")).toString().toInt(&isNumber);
    return isNumber ? std::clamp(parallel, 1, DownloadRun::MaxParallel) : DefaultParallel;
}

void Main::LoadSettings()
{
    suppressEvents = true;
    if (settings->value(Key(u"LastUpdate")).toString() != TodayText())
        CheckForUpdate(); // goes on with RestoreSettings when it has ended
    else
        RestoreSettings();
}

void Main::RestoreSettings()
{
    bool isNumber = false;
    const int station = settings->value(Key(u"Station")).toString().toInt(&isNumber);
    if (isNumber && station >= 0 && station < Combo1->count()) {
        Combo1->setCurrentIndex(station);
        MT->start();
    } else if (st->text() == u"Проверка новой версии...") {
        st->setText(u"Выберите радиостанцию"_s); // no load comes to replace it
    }

    const QString path = settings->value(Key(u"Path")).toString();
    if (!path.isEmpty())
        Text2->setText(path);

    const QString noNum = settings->value(Key(u"NoNum")).toString();
    if (noNum.isEmpty() || noNum == u"True")
        Check2->setValue(true);
    if (settings->value(Key(u"SubFolsers")).toString() == u"True")
        Check3->setValue(true);
    suppressEvents = false;
    // Shown once the stamp of an update check is written, so what the store says
    // and what the window shows agree.
    settingsWriter->whenWritten([this] {
        startedUp = true;
        emit loaded();
    });
}

void Main::SaveSettings()
{
    SettingsWriter::Values values{
        {Key(u"Station"), QString::number(Combo1->currentIndex())},
        {Key(u"NoNum"), BoolText(Check2->Value())},
        {Key(u"SubFolsers"), BoolText(Check3->Value())},
    };
    if (QFileInfo(Text2->text()).isDir())
        values.insert(1, {Key(u"Path"), Text2->text()});
    settingsWriter->write(values);
}
