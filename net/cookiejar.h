#pragma once

#include <QString>
#include <QStringView>

// One flat jar for every server: pieces "name=value;" one after the other, sent
// back verbatim as the Cookie header. Names match by plain substring search.
class CookieJar
{
public:
    // The pairs set by a response's header block, as jar pieces in header order.
    // Attributes are dropped; a cookie set to "deleted" is left out.
    static QString GetCookies(QStringView response);

    // Merges the pieces of value (each "name=value" followed by ";") into the jar.
    // A pair replaces every piece its name occurs in, or is appended.
    void AddCookies(QStringView value);

    const QString &text() const { return Jar; }
    void clear() { Jar.clear(); }

private:
    QString Jar;
};
