#include "filenamerules.h"

namespace FileNameRules {

bool isRefused(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'/';
}

qsizetype storedLength(QStringView name, qsizetype &i)
{
    const char16_t u = name[i++].unicode();
    // As QString::toUtf8 writes it; a lone surrogate becomes one '?'.
    if (u < 0x80)
        return 1;
    if (u < 0x800)
        return 2;
    if (QChar::isHighSurrogate(u) && i < name.size() && name[i].isLowSurrogate()) {
        ++i;
        return 4;
    }
    return QChar::isSurrogate(u) ? 1 : 3;
}

bool isReserved(QStringView)
{
    return false;
}

} // namespace FileNameRules
