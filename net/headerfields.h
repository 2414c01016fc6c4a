#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// The status line and header lines of a response head (the bytes before the empty
// line). Header names match without regard to case and with optional whitespace
// after the colon, as HTTP has them; values are kept byte for byte.
class HeaderFields
{
public:
    // head: the bytes before the CR LF CR LF, or the complete lines of a head that
    // never ended. A first line that starts with "HTTP/" is the status line; every
    // other line holding a colon is a header.
    static HeaderFields parse(QByteArrayView head);

    // The status code, 0 when there is no status line with a three-digit code.
    int status() const { return Status; }

    // Values of every header of that name, in order, without surrounding whitespace.
    QList<QByteArrayView> values(QByteArrayView name) const;
    std::optional<QByteArrayView> value(QByteArrayView name) const;

    // The body length the headers declare: Absent, or Valid with length(), or
    // Invalid (not a number, negative, too large, or two values that differ).
    enum class Length { Absent, Valid, Invalid };
    Length lengthKind() const { return LengthKind; }
    qint64 length() const { return LengthValue; }

    // Transfer-Encoding: none (or identity), chunked last, or anything else.
    enum class Transfer { Identity, Chunked, Other };
    Transfer transfer() const { return TransferKind; }

    // True when no Content-Encoding is given or it is identity.
    bool identityContent() const;

    // "charset=UTF-8" or "charset=utf-8" in a Content-Type header.
    bool declaresUtf8() const;
    // The first Content-Type names text/html, in any letter case.
    bool declaresHtml() const;

    // The header lines as sent (status line excluded), each with its CR LF.
    QByteArrayView headerBlock() const { return QByteArrayView(Head).sliced(BlockAt); }

private:
    struct Field
    {
        qsizetype nameAt, nameSize, valueAt, valueSize;
    };

    QByteArray Head;
    qsizetype BlockAt = 0;
    QList<Field> Fields;
    int Status = 0;
    Length LengthKind = Length::Absent;
    qint64 LengthValue = -1;
    Transfer TransferKind = Transfer::Identity;
};
