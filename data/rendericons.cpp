// Build step: renders the window's icon, exactly as the program draws it, into
// <folder>/<side>.png for each side given, for the desktop's icon theme, and
// with --ico into one Windows icon file holding every side.

#include "artwork.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void Append16(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value & 0xFF)).append(char(value >> 8));
}

void Append32(QByteArray &bytes, quint32 value)
{
    Append16(bytes, quint16(value & 0xFFFF));
    Append16(bytes, quint16(value >> 16));
}

// An .ico file: a directory of the pictures, then each as PNG, which Windows
// reads since Vista.
QByteArray IcoFile(const QList<QByteArray> &pngs, const QList<int> &sides)
{
    QByteArray ico;
    Append16(ico, 0);
    Append16(ico, 1); // an icon, not a cursor
    Append16(ico, quint16(pngs.size()));
    quint32 offset = quint32(6 + 16 * pngs.size());
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        const int side = sides[i] >= 256 ? 0 : sides[i];
        ico.append(char(side)).append(char(side)).append('\0').append('\0');
        Append16(ico, 1);  // planes
        Append16(ico, 32); // bits per pixel
        Append32(ico, quint32(pngs[i].size()));
        Append32(ico, offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray &png : pngs)
        ico += png;
    return ico;
}

} // namespace

int main(int argc, char *argv[])
{
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString icoName;
    if (const qsizetype at = args.indexOf(u"--ico"_s); at >= 0 && at + 1 < args.size()) {
        icoName = args[at + 1];
        args.remove(at, 2);
    }
    if (args.size() < 2) {
        std::fputs("usage: tunetrawl-icons <folder> <side>... [--ico <name>]\n", stderr);
        return 2;
    }
    const QDir folder(args.first());
    if (!folder.mkpath(u"."_s)) {
        std::fprintf(stderr, "cannot create %s\n", qUtf8Printable(folder.path()));
        return 1;
    }
    const QIcon icon = Artwork::windowIcon();
    QList<QByteArray> pngs;
    QList<int> sides;
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
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        pixmap.save(&buffer, "PNG");
        const QString file = folder.filePath(arg + u".png"_s);
        QFile out(file);
        if (png.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(png) != png.size()) {
            std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(file));
            return 1;
        }
        pngs += png;
        sides += side;
    }
    if (!icoName.isEmpty()) {
        QFile ico(folder.filePath(icoName));
        const QByteArray bytes = IcoFile(pngs, sides);
        if (!ico.open(QIODevice::WriteOnly) || ico.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(ico.fileName()));
            return 1;
        }
    }
    return 0;
}
