#pragma once

#include <QByteArray>
#include <QString>

// The program's one mapping between bytes and text: Windows-1251, whatever the
// machine's locale. Every byte value has its own character, so bytes -> text ->
// bytes is the identity and nothing received can be lost on the way.
namespace Ansi {

// The character that stands for byte b.
char16_t charForByte(uchar b);

QString toText(const QByteArray &bytes);

// Characters the code page lacks become '?', as the Windows conversion does.
QByteArray toBytes(QStringView text);

} // namespace Ansi
