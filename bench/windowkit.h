#pragma once

#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class Main;
class QWidget;

// The real window as the program shows it, for benchmarks: the program's font
// and locale, a settings store of the bench's own, dialogs that never block.
namespace Bench {

// What main() sets before it makes the window: names, locale and font.
void setUpLikeProgram();

// A Main on the INI file at settingsPath holding values under [Main] (LastUpdate
// is today, so no update check runs), loaded, shown and exposed; nullptr (said on
// standard error) when its start-up did not end.
std::unique_ptr<Main> openWindow(const QString &settingsPath, const QMap<QString, QString> &values);

// Sets one value under [Main] of the store at settingsPath, or removes it when
// value is empty; the window reads it from its next load or run on ("Parallel").
void setStored(const QString &settingsPath, const QString &key, const QString &value);

// Runs action (a pick or a click that starts a load or a run), then the event loop
// until the window's work has ended (workFinished), at most timeoutMs. Gives the
// time from the action to that end, or nothing, said on standard error, when no
// work started or it did not end in time.
std::optional<double> timeWork(Main &window, const std::function<void()> &action,
                               int timeoutMs = 600000);
// timeWork of a click on «Старт!»; inFlight receives the most songs the run had
// in flight at once.
std::optional<double> timeRun(Main &window, int &inFlight);

// A part of the window by its designer name ("List1", "G").
template<typename T> T *part(const QWidget &window, const char16_t *name)
{
    return window.findChild<T *>(QString::fromUtf16(name));
}

// Runs the event loop until widget has been painted once more, or ms passed.
bool waitForPaint(QWidget *widget, int ms);

// Counts the paint events of one window's widgets, by widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *window);
    ~PaintCounter() override;

    void reset();
    int total() const { return Total; }
    // "name 120, name 80, ..." most painted first.
    QString breakdown(double divisor = 1) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *Window;
    int Total = 0;
    QHash<QString, int> ByWidget;
};

} // namespace Bench
