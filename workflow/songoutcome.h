#pragma once

#include "exchange.h"
#include "responsesummary.h"

#include <QMetaType>
#include <QString>
#include <optional>

// How one song of a run ended, and why in words a user reads.
struct SongOutcome
{
    enum class Kind {
        Stored,    // fetched whole and on disk under its name
        Present,   // something was at its name already; nothing fetched or replaced
        Failed,    // tried and not stored
        NoAddress, // marked, but the page gave it no address
    };

    Kind kind = Kind::Failed;
    QString reason;    // empty for Stored
    QString file;      // the song's file name in the run's folder; "" when none was made up
    qint64 bytes = -1; // of a stored song's file
    int tries = 0;     // requests the run made for it (a server's "busy" not counted)

    static SongOutcome stored() { return {Kind::Stored, {}, {}, -1}; }
    static SongOutcome present();
    static SongOutcome noAddress();
    static SongOutcome failed(const QString &reason) { return {Kind::Failed, reason, {}, -1}; }

    // What a finished fetch gives: nothing when the response is a whole song, else
    // the failure that says why not.
    static std::optional<SongOutcome> ofFetch(Exchange::Outcome outcome, Exchange::Failure failure,
                                              const ResponseSummary &response);
};
Q_DECLARE_METATYPE(SongOutcome)
