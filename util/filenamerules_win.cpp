#include "filenamerules.h"

#include <QStringView>

namespace FileNameRules {

bool isRefused(QChar c)
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
    switch (c.unicode()) {
    case u'<':
    case u'>':
    case u':':
    case u'"':
    case u'/':
    case u'\\':
    case u'|':
    case u'?':
    case u'*':
        return true;
    default:
        return false;
    }
}

qsizetype storedLength(QStringView name, qsizetype &i)
{
    const char16_t u = name[i++].unicode();
    if (QChar::isHighSurrogate(u) && i < name.size() && name[i].isLowSurrogate()) {
        ++i;
        return 2;
    }
    return 1;
}

bool isReserved(QStringView name)
{
    if (name.isEmpty() || name.endsWith(u'.') || name.endsWith(u' '))
        return true;
    // Windows takes a device name from the part before the first dot, blanks at
    // its end dropped: "nul.txt" and "COM1 .mp3" open the device.
    QStringView base = name.left(name.indexOf(u'.'));
    while (base.endsWith(u' '))
        base.chop(1);
    static const QStringView devices[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
    for (const QStringView device : devices) {
        if (base.compare(device, Qt::CaseInsensitive) == 0)
            return true;
    }
    // COM1-COM9 and LPT1-LPT9, the superscript digits ¹ ² ³ counting as well.
    if (base.size() == 4 && (base.left(3).compare(u"COM", Qt::CaseInsensitive) == 0 ||
                             base.left(3).compare(u"LPT", Qt::CaseInsensitive) == 0)) {
        const char16_t digit = base[3].unicode();
        return (digit >= u'1' && digit <= u'9') || digit == u'¹' || digit == u'²' || digit == u'³';
    }
    return false;
}

} // namespace FileNameRules
