#pragma once

#include <QObject>
#include <QString>

// The terminal, file or pipe the program writes to when it runs without a
// window, and the requests to stop that reach it there: Ctrl+C and SIGTERM (on
// Windows Ctrl+C, Ctrl+Break and the console being closed). What differs
// between systems lives in one file per platform behind console_p.h.
class Console : public QObject
{
    Q_OBJECT

public:
    enum class Stream { Out, Err };

    // Watches for requests to stop while it lives; one such object at a time.
    explicit Console(QObject *parent = nullptr);
    ~Console() override;

    // Text as UTF-8; on a Windows console as the console's own characters.
    static void write(Stream stream, const QString &text);
    // The stream goes to a terminal, not to a file or a pipe.
    static bool isTerminal(Stream stream);
    // The terminal's width in characters; 80 when it cannot be told.
    static int width(Stream stream);

Q_SIGNALS:
    // A request to stop, told on the thread that made this object. A second one
    // ends the process at once, as the system does by default.
    void interrupted();
};
