#include "headerfields.h"

#include <limits>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// A decimal number of digits only; nothing for anything else or beyond 2^62.
std::optional<qint64> decimal(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The items of a comma-separated list, trimmed.
QList<QByteArrayView> items(QByteArrayView list)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    while (true) {
        const qsizetype comma = list.indexOf(',', start);
        parts.append(trimmed(list.sliced(start, (comma < 0 ? list.size() : comma) - start)));
        if (comma < 0)
            return parts;
        start = comma + 1;
    }
}

} // namespace

HeaderFields HeaderFields::parse(QByteArrayView head)
{
    HeaderFields fields;
    fields.Head = head.toByteArray();
    const QByteArrayView text(fields.Head);
    qsizetype start = 0;
    bool first = true;
    while (start < text.size()) {
        qsizetype end = text.indexOf("\r\n", start);
        const bool complete = end >= 0;
        if (!complete)
            end = text.size();
        const QByteArrayView line = text.sliced(start, end - start);
        if (first && line.startsWith("HTTP/")) {
            const qsizetype blank = line.indexOf(' ');
            if (blank > 0 && line.size() >= blank + 4) {
                const std::optional<qint64> code = decimal(line.sliced(blank + 1, 3));
                const bool ends = line.size() == blank + 4 || isBlank(line[blank + 4]);
                if (code && ends)
                    fields.Status = int(*code);
            }
            fields.BlockAt = complete ? end + 2 : end;
        } else {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0) {
                const QByteArrayView name = trimmed(line.first(colon));
                const QByteArrayView value = trimmed(line.sliced(colon + 1));
                fields.Fields.append({name.data() - text.data(), name.size(),
                                      value.data() - text.data(), value.size()});
            }
        }
        first = false;
        start = end + 2;
    }

    for (const QByteArrayView value : fields.values("Content-Length")) {
        // "5, 5" repeats one length; anything else that disagrees is no length at all.
        for (const QByteArrayView part : items(value)) {
            const std::optional<qint64> length = decimal(part);
            if (!length || (fields.LengthKind == Length::Valid && fields.LengthValue != *length)) {
                fields.LengthKind = Length::Invalid;
                fields.LengthValue = -1;
                break;
            }
            fields.LengthKind = Length::Valid;
            fields.LengthValue = *length;
        }
        if (fields.LengthKind == Length::Invalid)
            break;
    }

    const QList<QByteArrayView> transfer = fields.values("Transfer-Encoding");
    if (!transfer.isEmpty()) {
        const QByteArrayView coding = items(transfer.last()).last();
        if (sameName(coding, "chunked"))
            fields.TransferKind = Transfer::Chunked;
        else if (transfer.size() > 1 || !sameName(coding, "identity"))
            fields.TransferKind = Transfer::Other;
    }
    return fields;
}

QList<QByteArrayView> HeaderFields::values(QByteArrayView name) const
{
    QList<QByteArrayView> found;
    const QByteArrayView text(Head);
    for (const Field &field : Fields) {
        if (sameName(text.sliced(field.nameAt, field.nameSize), name))
            found.append(text.sliced(field.valueAt, field.valueSize));
    }
    return found;
}

std::optional<QByteArrayView> HeaderFields::value(QByteArrayView name) const
{
    const QByteArrayView text(Head);
    for (const Field &field : Fields) {
        if (sameName(text.sliced(field.nameAt, field.nameSize), name))
            return text.sliced(field.valueAt, field.valueSize);
    }
    return std::nullopt;
}

bool HeaderFields::identityContent() const
{
    for (const QByteArrayView value : values("Content-Encoding")) {
        for (const QByteArrayView name : items(value)) {
            if (!name.isEmpty() && !sameName(name, "identity"))
                return false;
        }
    }
    return true;
}

bool HeaderFields::declaresHtml() const
{
    const std::optional<QByteArrayView> type = value("Content-Type");
    if (!type)
        return false;
    const qsizetype semicolon = type->indexOf(';');
    return sameName(trimmed(semicolon < 0 ? *type : type->first(semicolon)), "text/html");
}

bool HeaderFields::declaresUtf8() const
{
    for (const QByteArrayView value : values("Content-Type")) {
        if (value.contains("charset=UTF-8") || value.contains("charset=utf-8"))
            return true;
    }
    return false;
}
