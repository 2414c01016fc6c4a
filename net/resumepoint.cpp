#include "resumepoint.h"

#include "headerfields.h"

#include <algorithm>

namespace {

std::optional<qint64> number(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 18 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return digits.toLongLong();
}

bool sendable(QByteArrayView value)
{
    return std::none_of(value.begin(), value.end(),
                        [](char c) { return uchar(c) < 0x20 || uchar(c) == 0x7F; });
}

} // namespace

bool ResumePoint::usable() const
{
    return Offset > 0 && Total > Offset && !Validator.isEmpty() && sendable(Validator);
}

QByteArray ResumePoint::validatorOf(const HeaderFields &fields)
{
    const std::optional<QByteArrayView> tag = fields.value("ETag");
    if (tag && tag->startsWith('"'))
        return tag->toByteArray(); // W/"..." may not go into If-Range
    return fields.value("Last-Modified").value_or(QByteArrayView()).toByteArray();
}

std::optional<ResumePoint::Range> ResumePoint::contentRange(const HeaderFields &fields)
{
    const std::optional<QByteArrayView> value = fields.value("Content-Range");
    if (!value || !value->startsWith("bytes "))
        return std::nullopt;
    const QByteArrayView spec = value->sliced(6).trimmed();
    const qsizetype dash = spec.indexOf('-');
    const qsizetype slash = spec.indexOf('/');
    if (dash < 0 || slash < dash)
        return std::nullopt;
    const std::optional<qint64> first = number(spec.first(dash));
    const std::optional<qint64> last = number(spec.sliced(dash + 1, slash - dash - 1));
    const QByteArrayView whole = spec.sliced(slash + 1);
    const std::optional<qint64> complete = whole == "*" ? -1 : number(whole);
    if (!first || !last || !complete || *last < *first || (*complete >= 0 && *last >= *complete))
        return std::nullopt;
    return Range{*first, *last, *complete};
}

ResumePoint::Verdict ResumePoint::verdict(const HeaderFields &fields) const
{
    const int status = fields.status();
    if (status == 416)
        return Verdict::StartOver; // the body is shorter than the bytes held
    if (status != 206)
        return status >= 200 && status <= 299 ? Verdict::Restart : Verdict::Aside;
    const std::optional<Range> range = contentRange(fields);
    // Exactly the rest, of a whole of known length, the one known before if any.
    const bool rest = range && range->First == Offset && range->Complete > Offset &&
                      range->Last == range->Complete - 1 && (Total < 0 || range->Complete == Total);
    const bool length = fields.lengthKind() == HeaderFields::Length::Absent ||
                        (fields.lengthKind() == HeaderFields::Length::Valid && range &&
                         fields.length() == range->Last - range->First + 1);
    const QByteArray validator = validatorOf(fields);
    const bool same = validator.isEmpty() || validator == Validator;
    return rest && length && same ? Verdict::Append : Verdict::StartOver;
}
