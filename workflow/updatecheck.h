#pragma once

#include <QString>

// What the version script's reply names: the version on the line after the
// first "#version info" line, and the first "http://" or "https://" address
// (headers included) with the rest of its line.
struct VersionReply
{
    QString version;
    QString link;
};

VersionReply ReadVersionReply(const QString &reply);

// A different version, older ones included, is offered; no version, none.
bool OffersUpdate(const VersionReply &reply, const QString &appVersion);

QString UpdateMessage(const VersionReply &reply);
