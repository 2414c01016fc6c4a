#include "mainwindow.h"

#include "check.h"
#include "datetext.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

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

void Main::LoadSettings()
{
    suppressEvents = true;
    if (settings->value(Key(u"LastUpdate")).toString() != TodayText())
        CheckForUpdate();

    bool isNumber = false;
    const int station = settings->value(Key(u"Station")).toString().toInt(&isNumber);
    if (isNumber && station >= 0 && station < Combo1->count()) {
        Combo1->setCurrentIndex(station);
        MT->start();
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
}

void Main::SaveSettings()
{
    settings->setValue(Key(u"Station"), QString::number(Combo1->currentIndex()));
    if (QFileInfo(Text2->text()).isDir())
        settings->setValue(Key(u"Path"), Text2->text());
    settings->setValue(Key(u"NoNum"), BoolText(Check2->Value()));
    settings->setValue(Key(u"SubFolsers"), BoolText(Check3->Value()));
    settings->sync();
    // A store that cannot be written is told once, with the end of this work; once
    // it can be written again, a new failure is told again.
    const bool failed = settings->status() != QSettings::NoError;
    settingsUnsaved = failed && !settingsFailureTold;
    settingsFailureTold = failed;
}
