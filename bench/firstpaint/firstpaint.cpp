// Loaded into any Qt program by QT_QPA_GENERIC_PLUGINS=firstpaint (with this
// folder's parent on QT_PLUGIN_PATH): once the first top-level widget has been
// painted and its frame handed to the window system, it writes to standard output
//   created <ns>   when the application object made it
//   painted <ns>   after that first frame
// on the monotonic clock, and ends the process at once, so that the program's
// own shutdown is never timed. The same for every program it is loaded into.

#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

long long NowNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void Say(const char *what)
{
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%s %lld\n", what, NowNs());
    [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, line, size_t(n));
}

class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            seen = true;
            // A zero timer runs once the paint cycle that delivers this event has
            // painted the children and flushed the frame.
            QTimer::singleShot(0, [] {
                Say("painted");
                ::_exit(0);
            });
        }
        return false;
    }

private:
    bool seen = false;
};

} // namespace

class FirstPaintPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "firstpaint.json")

public:
    QObject *create(const QString &, const QString &) override
    {
        Say("created");
        return new FirstPaintWatch;
    }
};

#include "firstpaint.moc"
