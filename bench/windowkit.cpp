#include "windowkit.h"

#include "mainwindow.h"
#include "programsetup.h"
#include "prompts.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QEvent>
#include <QFont>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QWindow>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Says what would have been asked instead of waiting for a person.
class SilentPrompts : public Prompts
{
public:
    void information(QWidget *, const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "dialog: %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(QWidget *, const QString &title, const QString &text) override
    {
        information(nullptr, title, text);
        return false;
    }
    QString browseForFolder(QWidget *, const QString &, const QString &) override { return {}; }
    void openUrl(const QString &) override {}
};

class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

namespace Bench {

void setUpLikeProgram()
{
    SetUpProgram();
}

std::unique_ptr<Main> openWindow(const QString &settingsPath, const QMap<QString, QString> &values)
{
    {
        QSettings store(settingsPath, QSettings::IniFormat);
        store.clear();
        store.setValue(u"Main/LastUpdate"_s, QDate::currentDate().toString(u"dd.MM.yyyy"_s));
        for (auto it = values.begin(); it != values.end(); ++it)
            store.setValue(u"Main/"_s + it.key(), it.value());
    }
    auto window = std::make_unique<Main>();
    window->setPrompts(std::make_unique<SilentPrompts>());
    window->setSettingsStore(std::make_unique<QSettings>(settingsPath, QSettings::IniFormat));
    window->Load();
    window->show();
    QElapsedTimer clock;
    clock.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    waitForPaint(window.get(), 1000);
    return window;
}

bool waitForPaint(QWidget *widget, int ms)
{
    PaintWatch watch;
    widget->installEventFilter(&watch);
    QElapsedTimer clock;
    clock.start();
    while (!watch.painted && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    widget->removeEventFilter(&watch);
    return watch.painted;
}

PaintCounter::PaintCounter(QWidget *window) : Window(window)
{
    qApp->installEventFilter(this);
}

PaintCounter::~PaintCounter()
{
    qApp->removeEventFilter(this);
}

void PaintCounter::reset()
{
    Total = 0;
    ByWidget.clear();
}

QString PaintCounter::breakdown(double divisor) const
{
    QList<std::pair<int, QString>> rows;
    for (auto it = ByWidget.begin(); it != ByWidget.end(); ++it)
        rows.append({it.value(), it.key()});
    std::sort(rows.begin(), rows.end(), std::greater<>());
    QStringList parts;
    for (const auto &[count, name] : rows)
        parts.append(name + u' ' + QString::number(count / divisor, 'f', 2));
    return parts.join(u", "_s);
}

bool PaintCounter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->window() == Window) {
            ++Total;
            QString name = widget->objectName();
            if (name.isEmpty()) {
                // A viewport or inner part: named after its parent.
                const QWidget *parent = widget->parentWidget();
                name = (parent ? parent->objectName() + u'/' : QString()) +
                       QString::fromLatin1(widget->metaObject()->className());
            }
            ++ByWidget[name];
        }
    }
    return false;
}

} // namespace Bench
