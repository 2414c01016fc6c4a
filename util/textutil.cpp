#include "textutil.h"

QString CutAtMarker(const QString &text, const QString &marker, CutMode mode)
{
    if (marker.isEmpty())
        return text;
    const qsizetype p = text.indexOf(marker);
    if (p < 0)
        return text;
    return mode == CutMode::KeepAfter ? text.mid(p + marker.size()) : text.left(p);
}

QString ExtractBetween(const QString &text, const QString &startMarker, const QString &endMarker)
{
    // Both markers are looked for over the whole text first; an end marker that
    // only occurs before the start marker still gives "" below.
    if (!text.contains(endMarker) || !text.contains(startMarker))
        return {};
    const QString rest = CutAtMarker(text, startMarker, CutMode::KeepAfter);
    if (!rest.contains(endMarker))
        return {};
    return CutAtMarker(rest, endMarker, CutMode::KeepBefore);
}
