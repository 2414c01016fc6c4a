#include "windowkit.h"

#include "benchkit.h"
#include "mainwindow.h"
#include "paintclock.h"
#include "programsetup.h"
#include "prompts.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFont>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QTimer>
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
    bool openUrl(const QString &) override { return true; }
};

// Runs loop until something quits it or ms passed; it sleeps while nothing
// happens, so a waiting benchmark takes no core from the servers and clients.
void runAtMost(QEventLoop &loop, int ms)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(ms);
    loop.exec();
}

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
    QEventLoop loop;
    QObject::connect(window.get(), &Main::loaded, &loop, &QEventLoop::quit);
    window->Load();
    if (!window->IsLoaded())
        runAtMost(loop, 20000);
    if (!window->IsLoaded()) {
        std::fprintf(stderr, "the window's start-up did not end: «%s»\n",
                     qPrintable(window->workflow()->status()));
        return nullptr;
    }
    window->show();
    QElapsedTimer clock;
    clock.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    waitForPaint(window.get(), 1000);
    return window;
}

void setStored(const QString &settingsPath, const QString &key, const QString &value)
{
    // Objects of one file share what they hold, so the window's store sees it.
    QSettings store(settingsPath, QSettings::IniFormat);
    if (value.isEmpty())
        store.remove(u"Main/"_s + key);
    else
        store.setValue(u"Main/"_s + key, value);
}

std::optional<double> timeWork(Main &window, const std::function<void()> &action, int timeoutMs)
{
    QEventLoop loop;
    qint64 endedNs = 0;
    const QMetaObject::Connection ended =
        QObject::connect(&window, &Main::workFinished, &loop, [&] {
            endedNs = nowNs();
            loop.quit();
        });
    const qint64 start = nowNs();
    action();
    if (endedNs == 0 && window.workflow()->busy())
        runAtMost(loop, timeoutMs);
    QObject::disconnect(ended);
    if (endedNs == 0) {
        std::fprintf(stderr, "%s: «%s»\n",
                     window.workflow()->busy() ? "the window's work did not end in time"
                                               : "no work started",
                     qPrintable(window.workflow()->status()));
        return std::nullopt;
    }
    return double(endedNs - start) / 1e6;
}

std::optional<double> timeRun(Main &window, int &inFlight)
{
    return timeWork(window, [&] {
        window.Command1_Click();
        if (DownloadRun *run = window.workflow()->currentRun())
            QObject::connect(run, &DownloadRun::finished, run,
                             [&inFlight, run] { inFlight = run->peakInFlight(); });
    });
}

bool waitForPaint(QWidget *widget, int ms)
{
    return PaintClock(widget).wait(ms);
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
