#include "hostprocess.h"
#include "hostprocess_p.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int StartWait = 5000;

quint16 hostPort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("TUNETRAWL_PROCESS_HOST").toUInt(&ok);
    return ok && port > 0 && port < 65536 ? quint16(port) : 0;
}

// One request and its answer, each a line of JSON, within msecs.
std::optional<QJsonObject> exchange(QTcpSocket &socket, const QJsonObject &request, int msecs)
{
    const QDeadlineTimer deadline(msecs);
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(int(deadline.remainingTime()))) {
    }
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
    const QJsonDocument answer = QJsonDocument::fromJson(socket.readLine());
    if (!answer.isObject())
        return std::nullopt;
    return answer.object();
}

bool connectToHost(QTcpSocket &socket)
{
    socket.connectToHost(u"127.0.0.1"_s, hostPort());
    return socket.waitForConnected(StartWait);
}

// A single question on a connection of its own.
QJsonObject ask(const QJsonObject &request)
{
    QTcpSocket socket;
    if (!connectToHost(socket))
        return {};
    return exchange(socket, request, StartWait).value_or(QJsonObject());
}

class LocalBackend final : public HostProcess::Backend
{
public:
    QString start(const Launch &launch) override
    {
        Process.setProcessChannelMode(QProcess::MergedChannels);
        if (!launch.outputFile.isEmpty())
            Process.setStandardOutputFile(launch.outputFile);
        Process.setWorkingDirectory(launch.workingDirectory);
        Process.start(launch.program, launch.arguments);
        return Process.waitForStarted(StartWait) ? QString() : Process.errorString();
    }

    std::optional<Ending> waitForFinished(int msecs) override
    {
        if (Process.state() != QProcess::NotRunning && !Process.waitForFinished(msecs))
            return std::nullopt;
        return Ending{Process.exitCode(), Process.exitStatus() == QProcess::NormalExit,
                      Process.readAll()};
    }

    void signal(bool kill) override
    {
        if (kill)
            Process.kill();
        else
            Process.terminate();
    }

private:
    QProcess Process;
};

// The program runs on the host for as long as this connection is open.
class BridgeBackend final : public HostProcess::Backend
{
public:
    QString start(const Launch &launch) override
    {
        if (!connectToHost(Socket))
            return u"no process host on port %1: %2"_s.arg(hostPort()).arg(Socket.errorString());
        const QJsonObject request{
            {u"op"_s, u"run"_s},
            {u"program"_s, launch.program},
            {u"args"_s, QJsonArray::fromStringList(launch.arguments)},
            {u"cwd"_s, HostProcess::hostPath(launch.workingDirectory)},
            {u"output"_s, HostProcess::hostPath(launch.outputFile)},
        };
        const std::optional<QJsonObject> answer = exchange(Socket, request, StartWait);
        if (!answer)
            return u"the process host did not answer"_s;
        if (!answer->value(u"started"_s).toBool())
            return answer->value(u"error"_s).toString();
        return {};
    }

    std::optional<Ending> waitForFinished(int msecs) override
    {
        if (Ended)
            return Ended;
        const QDeadlineTimer deadline(msecs);
        while (!Socket.canReadLine()) {
            if (Socket.state() != QAbstractSocket::ConnectedState) {
                Ended = Ending{-1, false, "the process host went away"};
                return Ended;
            }
            if (!Socket.waitForReadyRead(int(deadline.remainingTime())) && deadline.hasExpired())
                return std::nullopt;
        }
        const QJsonObject answer = QJsonDocument::fromJson(Socket.readLine()).object();
        Ended = Ending{answer.value(u"code"_s).toInt(-1), answer.value(u"normal"_s).toBool(),
                       QByteArray::fromBase64(answer.value(u"output"_s).toString().toLatin1())};
        return Ended;
    }

    void signal(bool kill) override
    {
        if (Ended || Socket.state() != QAbstractSocket::ConnectedState)
            return;
        Socket.write(QJsonDocument(QJsonObject{{u"op"_s, u"signal"_s}, {u"kill"_s, kill}})
                         .toJson(QJsonDocument::Compact) +
                     '\n');
        Socket.waitForBytesWritten(StartWait);
    }

private:
    QTcpSocket Socket;
    std::optional<Ending> Ended;
};

} // namespace

HostProcess::HostProcess() = default;

HostProcess::~HostProcess()
{
    if (isRunning()) {
        kill();
        waitForFinished(StartWait);
    }
}

bool HostProcess::isBridged()
{
    return hostPort() != 0;
}

QString HostProcess::findProgram(const QString &name, const QStringList &extraFolders)
{
    if (isBridged()) {
        return ask({{u"op"_s, u"which"_s},
                    {u"name"_s, name},
                    {u"folders"_s, QJsonArray::fromStringList(extraFolders)}})
            .value(u"path"_s)
            .toString();
    }
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty() && !extraFolders.isEmpty())
        found = QStandardPaths::findExecutable(name, extraFolders);
    return found;
}

HostProcess::Identity HostProcess::identity()
{
    if (!isBridged())
        return localIdentity();
    const QJsonObject answer = ask({{u"op"_s, u"identity"_s}});
    return {answer.value(u"root"_s).toBool(), answer.value(u"nobodyGroup"_s).toInt(-1)};
}

QString HostProcess::hostPath(const QString &localPath)
{
    return isBridged() ? bridgedHostPath(localPath) : localPath;
}

QString HostProcess::localPath(const QString &hostPath)
{
    return isBridged() ? bridgedLocalPath(hostPath) : hostPath;
}

bool HostProcess::start(const QString &program, const QStringList &arguments)
{
    if (isRunning()) {
        Error = u"already running"_s;
        return false;
    }
    ExitCode = -1;
    Normal = false;
    Output.clear();
    if (isBridged())
        Runner = std::make_unique<BridgeBackend>();
    else
        Runner = std::make_unique<LocalBackend>();
    Error = Runner->start({program, arguments, WorkingDirectory, OutputFile});
    if (!Error.isEmpty()) {
        Runner.reset();
        return false;
    }
    return true;
}

bool HostProcess::waitForFinished(int msecs)
{
    if (!Runner)
        return true;
    const std::optional<Backend::Ending> ending = Runner->waitForFinished(msecs);
    if (!ending)
        return false;
    ExitCode = ending->exitCode;
    Normal = ending->normal;
    Output = ending->output;
    Runner.reset();
    return true;
}

bool HostProcess::isRunning()
{
    return Runner && !waitForFinished(0);
}

void HostProcess::terminate()
{
    if (Runner)
        Runner->signal(false);
}

void HostProcess::kill()
{
    if (Runner)
        Runner->signal(true);
}
