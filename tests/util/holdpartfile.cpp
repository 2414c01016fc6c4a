// Another instance's run, for the tests: holds a part file in the folder given,
// prints its path, and keeps it until it is killed or its input closes.

#include "partfile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Not argv: on Windows it holds the path in the ANSI code page.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return 2;
    PartFile part(arguments[1]);
    if (!part.open() || !part.write("x"))
        return 1;
    std::printf("%s\n", part.temporaryPath().toUtf8().constData());
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
