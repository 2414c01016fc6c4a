#include "responsesummary.h"

#include "responsereader.h"

ResponseSummary ResponseSummary::of(const ResponseReader &reader, End ended)
{
    ResponseSummary summary;
    summary.Delivered = true;
    summary.Status = reader.fields().status();
    summary.HeadComplete = reader.headComplete();
    summary.LengthKind = reader.fields().lengthKind();
    summary.Length = reader.fields().length();
    summary.Transfer = reader.fields().transfer();
    summary.IdentityContent = reader.fields().identityContent();
    summary.FramingBroken = reader.framingBroken();
    summary.HtmlDeclared = reader.fields().declaresHtml();
    summary.FirstVisible = reader.firstVisible();
    summary.BodySize = reader.bodySize();
    summary.Ended = reader.complete() ? End::Framed : ended;

    const bool success = summary.Status >= 200 && summary.Status <= 299;
    const std::optional<ResumePoint::Verdict> verdict = reader.verdict();
    const ResumePoint &point = reader.resumePoint();
    if (verdict == ResumePoint::Verdict::Append) {
        summary.Offset = point.Offset;
        summary.TotalLength = ResumePoint::contentRange(reader.fields())->Complete;
    } else if (success && summary.LengthKind == HeaderFields::Length::Valid) {
        summary.TotalLength = summary.Length;
    }
    if (verdict == ResumePoint::Verdict::Aside || (!verdict && reader.resumePoint().Offset > 0)) {
        // Nothing of this response went into the sink: it holds what it held.
        summary.Kept = point.Offset;
        summary.TotalLength = point.Total;
        summary.Validator = point.Validator;
    } else if (verdict != ResumePoint::Verdict::StartOver) {
        summary.Kept = summary.Offset + summary.BodySize;
        if (success)
            summary.Validator = ResumePoint::validatorOf(reader.fields());
        // A 206 need not name the body again; it is the one the point named.
        if (verdict == ResumePoint::Verdict::Append && summary.Validator.isEmpty())
            summary.Validator = point.Validator;
    }
    return summary;
}

bool ResponseSummary::whole() const
{
    if (!Delivered || !HeadComplete || !IdentityContent || FramingBroken)
        return false;
    if (Status == 206 && (Offset == 0 || Offset + BodySize != TotalLength))
        return false;
    switch (Transfer) {
    case HeaderFields::Transfer::Chunked:
        return Ended == End::Framed;
    case HeaderFields::Transfer::Other:
        return false;
    case HeaderFields::Transfer::Identity:
        break;
    }
    switch (LengthKind) {
    case HeaderFields::Length::Valid:
        return BodySize == Length;
    case HeaderFields::Length::Invalid:
        return false;
    case HeaderFields::Length::Absent:
        break;
    }
    return Ended == End::Orderly;
}
