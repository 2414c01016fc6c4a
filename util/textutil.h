#pragma once

#include <QString>

// Text helpers for pulling values out of fetched pages. All searches are exact,
// case-sensitive and find the first occurrence.

enum class CutMode {
    KeepBefore = 1,
    KeepAfter = 2,
};

// The text before (KeepBefore) or after (KeepAfter) the first occurrence of
// marker; the whole text when the marker is absent or empty.
QString CutAtMarker(const QString &text, const QString &marker, CutMode mode);

// The text between the first startMarker and the first endMarker behind it;
// "" when either marker is missing or when they touch.
QString ExtractBetween(const QString &text, const QString &startMarker, const QString &endMarker);
