#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class ResponseReader;

// What to do with a connection that has ended, given what it received.
struct CloseDecision
{
    enum Action {
        SendAgain,         // nothing came back; another attempt is allowed
        GiveUp,            // nothing came back from the last allowed attempt
        Deliver,           // the response is the result
        UnlimitedRedirect, // too many redirects: the result is the error literal
        Redirect,          // ask Target with a GET
    };

    static constexpr int MaxSends = 3;     // attempts of one request in all
    static constexpr int MaxRedirects = 6; // redirects one chain follows

    Action What = Deliver;
    QString Target;

    // sendsMade counts the attempts of the current request, this one included;
    // maxSends is how many it may make.
    static CloseDecision decide(const ResponseReader &response, QStringView currentUrl,
                                int redirectCount, int sendsMade, int maxSends = MaxSends);
    // The same for a response held whole.
    static CloseDecision decide(const QByteArray &received, QStringView currentUrl,
                                int redirectCount, int sendsMade, int maxSends = MaxSends);
};
