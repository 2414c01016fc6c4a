// Writes the check box's state pictures as PNG files into the folder given.
// Run it through the build target check_pictures after changing the drawing.

#include "checkartwork.h"

#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(u"."_s)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const CheckPicture picture : AllCheckPictures) {
        const QString path = folder.filePath(PictureName(picture) + u".png"_s);
        if (!DrawCheckPicture(picture).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
