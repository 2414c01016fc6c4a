#pragma once

#include <QString>
#include <QtGlobal>

// Sizes, speeds and times as a Russian reader writes them: "850 КБ", "4,2 МБ",
// "1,2 МБ/с", "45 с", "3 мин", "1 ч 5 мин". Binary units, one decimal below 10.
QString SizeText(qint64 bytes);
QString SpeedText(double bytesPerSecond);
QString DurationText(qint64 seconds);
