// Build step: renders the window's icon, exactly as the program draws it, into
// <folder>/<side>.png for each side given, for the desktop's icon theme.

#include "artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fputs("usage: tunetrawl-icons <folder> <side>...\n", stderr);
        return 2;
    }
    const QDir folder(args.first());
    if (!folder.mkpath(u"."_s)) {
        std::fprintf(stderr, "cannot create %s\n", qUtf8Printable(folder.path()));
        return 1;
    }
    const QIcon icon = Artwork::windowIcon();
    for (const QString &arg : args.mid(1)) {
        const int side = arg.toInt();
        const QSize size(side, side);
        // QIcon never scales a picture up: a side above the largest drawn one
        // would come back smaller, and a blurry theme icon is worse than none.
        const QPixmap pixmap = side > 0 ? icon.pixmap(size, 1.0) : QPixmap();
        if (pixmap.isNull() || pixmap.size() != size) {
            std::fprintf(stderr, "the icon is not drawn at %s px\n", qUtf8Printable(arg));
            return 1;
        }
        const QString file = folder.filePath(arg + u".png"_s);
        if (!pixmap.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(file));
            return 1;
        }
    }
    return 0;
}
