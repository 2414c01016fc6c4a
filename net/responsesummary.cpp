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
    return summary;
}

bool ResponseSummary::whole() const
{
    if (!Delivered || !HeadComplete || !IdentityContent || FramingBroken)
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
