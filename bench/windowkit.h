#pragma once

#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>

class Main;
class QWidget;

// The real window as the program shows it, for benchmarks: the program's font
// and locale, a settings store of the bench's own, dialogs that never block.
namespace Bench {

// What main() sets before it makes the window: names, locale and font.
void setUpLikeProgram();

// A Main on the INI file at settingsPath holding values under [Main] (LastUpdate
// is today, so no update check runs), loaded, shown and exposed.
std::unique_ptr<Main> openWindow(const QString &settingsPath, const QMap<QString, QString> &values);

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
