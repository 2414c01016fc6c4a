#include "rawserver.h"

#include <QByteArray>
#include <QFile>

#include <arpa/inet.h>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void serveOne(int client, int file, off_t size)
{
    QByteArray request;
    char buffer[8192];
    while (!request.contains("\r\n\r\n")) {
        const ssize_t got = ::read(client, buffer, sizeof buffer);
        if (got <= 0)
            return;
        request.append(buffer, got);
    }
    QByteArray header = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
    if (!request.startsWith("GET /nolen "))
        header += "Content-Length: " + QByteArray::number(qint64(size)) + "\r\n";
    header += "\r\n";
    if (::write(client, header.constData(), size_t(header.size())) != header.size())
        return;
    off_t offset = 0;
    while (offset < size) {
        if (::sendfile(client, file, &offset, size_t(size - offset)) <= 0)
            return;
    }
    ::shutdown(client, SHUT_WR);
}

} // namespace

int RunRawServer(const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    struct stat info
    {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return 2;
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 3;
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int client = ::accept(listener, nullptr, nullptr);
        if (client < 0)
            return 4;
        serveOne(client, fd, info.st_size);
        ::close(client);
    }
}
