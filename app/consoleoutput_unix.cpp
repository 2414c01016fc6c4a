#include "consoleoutput.h"

#include <cstdio>

namespace ConsoleOutput {

void write(Stream stream, const QString &text)
{
    FILE *file = stream == Stream::Out ? stdout : stderr;
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
    std::fflush(file);
}

} // namespace ConsoleOutput
