#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Conversions between the socket's bytes, UTF-8 and percent-encoded URLs.
// A "byte text" holds one character per byte through the Windows-1251 mapping
// (Ansi::toText), so converting it back gives exactly the bytes.
namespace TextCodecs {

// True when a response is to be read as UTF-8: it declares "charset=UTF-8" or
// "charset=utf-8" anywhere and does not say "Content-Type: application/octet-stream".
bool DeclaresUtf8(QByteArrayView response);

// The response as text: decoded from UTF-8 when it declares that charset, else
// byte for byte through Windows-1251. The whole response is decoded, zero bytes
// included.
QString DeUTF(const QByteArray &response);

// Same, for a response already held as byte text.
QString DeUTF(QStringView byteText);

// The UTF-8 form of text, as byte text (one character per UTF-8 byte). Characters
// Windows-1251 lacks become '?' first, as the text would on the wire.
QString ToUTF(QStringView text);

// Percent-encodes everything but letters, digits and "=-()&_./:"; a blank becomes
// "%20", other characters "%" and the two hex digits of their Windows-1251 byte.
QString URLEncode(QStringView text);

} // namespace TextCodecs
