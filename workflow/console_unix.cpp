#include "console_p.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace {

// The signal handler's way to the event loop: a byte into a pipe, all it may
// safely do. -1 while nothing watches.
std::atomic<int> WakeUp{-1};
int Woken = -1;

void Notify(int)
{
    const int fd = WakeUp.load();
    const char byte = 1;
    if (fd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(fd, &byte, 1);
}

int Descriptor(Console::Stream stream)
{
    return stream == Console::Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
}

} // namespace

namespace ConsoleSystem {

void write(Console::Stream stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(Descriptor(stream), at, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a closed pipe: nobody reads any more
        at += written;
        left -= written;
    }
}

bool isTerminal(Console::Stream stream)
{
    return ::isatty(Descriptor(stream)) == 1;
}

int width(Console::Stream stream)
{
    winsize size = {};
    return ::ioctl(Descriptor(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void watchInterrupts(Console *console)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    for (const int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    Woken = ends[0];
    WakeUp.store(ends[1]);
    auto *notifier = new QSocketNotifier(Woken, QSocketNotifier::Read, console);
    QObject::connect(notifier, &QSocketNotifier::activated, console, [console] {
        char bytes[16];
        while (::read(Woken, bytes, sizeof bytes) > 0) {
        }
        emit console->interrupted();
    });
    // One-shot: a second Ctrl+C ends the program the system's way.
    struct sigaction action = {};
    action.sa_handler = Notify;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void stopWatching()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    const int fd = WakeUp.exchange(-1);
    if (fd >= 0)
        ::close(fd);
    if (Woken >= 0)
        ::close(std::exchange(Woken, -1));
}

} // namespace ConsoleSystem
