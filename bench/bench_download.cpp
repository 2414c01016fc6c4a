// Downloads one large file through G and through curl from a local nginx and prints
// the wall-time ratio and G's peak memory; then compares G on a response without
// Content-Length with the same response carrying it. Linux only (/proc, sendfile).

#include "g.h"
#include "nginxinstance.h"
#include "rawserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MiB = 1 << 20;

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

// Makes the peak-RSS mark start again from the current RSS.
void resetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString list(const QList<double> &values)
{
    QStringList parts;
    for (const double v : values)
        parts.append(QString::number(v, 'f', 3));
    return parts.join(u' ');
}

bool writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator generator(42);
    QByteArray chunk(4 * MiB, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += chunk.size()) {
        generator.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
        if (file.write(chunk.constData(), qMin<qint64>(chunk.size(), size - written)) < 0)
            return false;
    }
    return true;
}

struct Download
{
    double Seconds = 0;
    qint64 PeakKiB = 0;
    qint64 BodyBytes = -1;
};

// One download through a fresh G, so nothing of an earlier run stays in memory.
Download throughG(const QString &url)
{
    Download result;
    resetPeak();
    {
        G g;
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, &g, &G::Abort);
        watchdog.start(300000);
        QString variable = url;
        QElapsedTimer clock;
        clock.start();
        const QByteArray response = g.RetBytes(variable);
        result.Seconds = clock.nsecsElapsed() / 1e9;
        const qsizetype headerEnd = response.indexOf("\r\n\r\n");
        if (headerEnd >= 0)
            result.BodyBytes = response.size() - headerEnd - 4;
    }
    result.PeakKiB = statusKiB("VmHWM:");
    return result;
}

double throughCurl(const QString &curl, const QString &url)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(curl, {u"-s"_s, u"-S"_s, u"-o"_s, u"/dev/null"_s, url});
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        std::fprintf(stderr, "curl failed: %s\n", process.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e9;
}

bool check(const char *what, bool ok)
{
    std::printf("  %-46s %s\n", what, ok ? "met" : "MISSED");
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--serve") == 0)
        return RunRawServer(QString::fromLocal8Bit(argv[2]));

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qint64 sizeMiB = 256;
    int runs = 5;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--size-mib"_s)
            sizeMiB = args[i + 1].toLongLong();
        else if (args[i] == u"--runs"_s)
            runs = args[i + 1].toInt();
    }
    const qint64 size = sizeMiB * MiB;

    const QString curl = QStandardPaths::findExecutable(u"curl"_s);
    if (curl.isEmpty() || NginxInstance::program().isEmpty()) {
        std::fprintf(stderr, "needs curl and nginx (scripts/install-deps.sh)\n");
        return 2;
    }
    QTemporaryDir root;
    const QString file = root.filePath(u"song.bin"_s);
    if (!root.isValid() || !writeRandomFile(file, size)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return 2;
    }
    NginxInstance nginx;
    if (!nginx.start(root.path())) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(nginx.errorText()));
        return 2;
    }
    std::printf("body %lld MiB, %d runs each\n", sizeMiB, runs);

    bool complete = true;
    QList<double> gTimes, curlTimes;
    qint64 peakKiB = 0;
    for (int run = 0; run < runs; ++run) {
        const Download d = throughG(nginx.url(u"/song.bin"_s));
        complete = complete && d.BodyBytes == size;
        gTimes.append(d.Seconds);
        peakKiB = qMax(peakKiB, d.PeakKiB);
        curlTimes.append(throughCurl(curl, nginx.url(u"/song.bin"_s)));
    }
    nginx.stop();

    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), {u"--serve"_s, file});
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the raw server did not start\n");
        return 2;
    }
    const QString base = u"http://127.0.0.1:"_s + QString::fromLatin1(server.readLine().trimmed());
    QList<double> withLength, withoutLength;
    qint64 peakNoLengthKiB = 0;
    for (int run = 0; run < runs; ++run) {
        const Download with = throughG(base + u"/len"_s);
        const Download without = throughG(base + u"/nolen"_s);
        complete = complete && with.BodyBytes == size && without.BodyBytes == size;
        withLength.append(with.Seconds);
        withoutLength.append(without.Seconds);
        peakNoLengthKiB = qMax(peakNoLengthKiB, without.PeakKiB);
    }
    server.kill();
    server.waitForFinished();

    const double ratio = median(gTimes) / median(curlTimes);
    const double noLengthRatio = median(withoutLength) / median(withLength);
    const qint64 limitKiB = (2 * size + 64 * MiB) / 1024;
    std::printf("G via nginx       %s s, median %.3f s\n", qPrintable(list(gTimes)),
                median(gTimes));
    std::printf("curl via nginx    %s s, median %.3f s\n", qPrintable(list(curlTimes)),
                median(curlTimes));
    std::printf("raw, with length  %s s, median %.3f s\n", qPrintable(list(withLength)),
                median(withLength));
    std::printf("raw, no length    %s s, median %.3f s\n", qPrintable(list(withoutLength)),
                median(withoutLength));
    std::printf("ratio G/curl                   %.2f\n", ratio);
    std::printf("G peak RSS (with length)       %lld MiB\n", peakKiB / 1024);
    std::printf("G peak RSS (no length)         %lld MiB\n", peakNoLengthKiB / 1024);
    std::printf("ratio no-length/with-length    %.2f\n", noLengthRatio);
    std::printf("targets:\n");
    bool met = check("every download complete", complete);
    met = check("ratio G/curl <= 1.5", ratio <= 1.5) && met;
    met = check("peak RSS <= 2 x body + 64 MiB", qMax(peakKiB, peakNoLengthKiB) <= limitKiB) && met;
    met = check("no-length within 1.2x of with-length", noLengthRatio <= 1.2) && met;
    return met ? 0 : 1;
}
