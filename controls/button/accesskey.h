#pragma once

#include <QChar>
#include <QString>

// The access key a caption names, lower-cased, or a null QChar when it names
// none. "&&" is a literal ampersand; after one, only the next "&" may mark a key.
QChar AccessKey(const QString &caption);

// The caption as it reads: the "&" marks gone, "&&" one ampersand.
QString CaptionText(const QString &caption);
