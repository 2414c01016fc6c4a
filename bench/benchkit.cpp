#include "benchkit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace Qt::StringLiterals;

namespace Bench {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString figures(const QList<double> &values, int decimals)
{
    QStringList parts;
    for (const double v : values)
        parts.append(QString::number(v, 'f', decimals));
    return parts.join(u' ');
}

void printSeries(const char *label, const QList<double> &values, const char *unit, int decimals)
{
    std::printf("  %-34s median %9.*f %-3s  [%s]\n", label, decimals, median(values), unit,
                qPrintable(figures(values, decimals)));
}

bool verdict(const QString &what, bool ok)
{
    std::printf("  %-62s %s\n", qPrintable(what), ok ? "met" : "MISSED");
    return ok;
}

qint64 statusKiB(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void resetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (clock.elapsed() < ms);
}

qint64 nowNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

ChildRun runChild(const QString &program, const QStringList &arguments, bool captureOutput,
                  const QStringList &extraEnvironment)
{
    ChildRun run;
    QList<QByteArray> storage{QFile::encodeName(program)};
    for (const QString &a : arguments)
        storage.append(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    QList<QByteArray> envStorage;
    for (const QString &e : extraEnvironment)
        envStorage.append(e.toLocal8Bit());
    std::vector<char *> envp;
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        const bool replaced = std::any_of(envStorage.cbegin(), envStorage.cend(),
                                          [&](const QByteArray &x) { return x.startsWith(name); });
        if (!replaced)
            envp.push_back(*e);
    }
    for (QByteArray &e : envStorage)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureOutput && ::pipe2(pipeFds, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    const qint64 start = nowNs();
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFds[1] >= 0)
        ::close(pipeFds[1]);
    if (spawned != 0) {
        if (pipeFds[0] >= 0)
            ::close(pipeFds[0]);
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return run;
    }
    if (pipeFds[0] >= 0) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0)
                run.out.append(buffer, n);
            else if (n == 0 || errno != EINTR)
                break;
        }
        ::close(pipeFds[0]);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.ms = double(nowNs() - start) / 1e6;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

QString findProgram(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

bool writeRandomFile(const QString &path, qint64 size, quint32 seed)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator generator(seed);
    QByteArray chunk(int(qMin<qint64>(4 * MiB, size + 3) & ~qint64(3)), Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += chunk.size()) {
        generator.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
        if (file.write(chunk.constData(), qMin<qint64>(chunk.size(), size - written)) < 0)
            return false;
    }
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool syncFileData(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

void syncAll()
{
    ::sync();
}

int clearFolder(const QString &folder)
{
    QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : files)
        dir.remove(name);
    return int(files.size());
}

qint64 bareFetch(const QString &url, int fileDescriptor)
{
    // http://127.0.0.1:port/path
    const QString rest = url.mid(url.indexOf(u"//"_s) + 2);
    const QString authority = rest.section(u'/', 0, 0);
    const QByteArray path = '/' + rest.section(u'/', 1).toUtf8();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(authority.section(u':', 1).toUInt()));
    if (::inet_pton(AF_INET, authority.section(u':', 0, 0).toLatin1().constData(),
                    &address.sin_addr) != 1)
        return -1;
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return -1;
    if (::connect(s, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    const QByteArray request = "GET " + path + " HTTP/1.0\r\nHost: " + authority.toLatin1() +
                               "\r\nConnection: close\r\n\r\n";
    if (::send(s, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size()) {
        ::close(s);
        return -1;
    }
    static thread_local std::vector<char> buffer(256 * 1024);
    QByteArray head;
    bool inBody = false;
    qint64 body = 0;
    for (;;) {
        const ssize_t n = ::recv(s, buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const char *data = buffer.data();
        qint64 size = n;
        if (!inBody) {
            head.append(data, n);
            const qsizetype end = head.indexOf("\r\n\r\n");
            if (end < 0)
                continue;
            inBody = true;
            const qsizetype bodyHere = head.size() - (end + 4);
            data = data + (n - bodyHere);
            size = bodyHere;
        }
        body += size;
        while (fileDescriptor >= 0 && size > 0) {
            const ssize_t w = ::write(fileDescriptor, data, size_t(size));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ::close(s);
                return -1;
            }
            data += w;
            size -= w;
        }
    }
    ::close(s);
    return inBody ? body : -1;
}

QString platformNote()
{
    const QString name = QGuiApplication::platformName();
    if (name == u"xcb")
        return u"xcb on the X server at DISPLAY="_s + qEnvironmentVariable("DISPLAY");
    return name;
}

void choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
}

QByteArray songBlock(const QString &artist, const QString &name, const QString &url)
{
    return "<div class=\"song_box\" data-url-encoded=\"" + url.toUtf8().toBase64() +
           "\" data-artist-name=\"" + artist.toUtf8() + "\" data-song-name=\"" + name.toUtf8() +
           "\">\n  <span class=\"time\">06:00</span> " + artist.toUtf8() + " - " + name.toUtf8() +
           "\n</div>\n";
}

QByteArray historyPage(const QByteArray &blocks)
{
    return "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
           "<title>history</title>\n</head>\n<body>\n<div class=\"songs\">\n" +
           blocks + "</div>\n</body>\n</html>\n";
}

} // namespace Bench
