#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The exact bytes of one HTTP/1.0 request, composed from the state of the request
// at the moment its connection opens.
struct RequestText
{
    static constexpr int Get = 1;
    static constexpr int Post = 2;

    int Method = Get;
    QString Url;
    bool Proxy = false; // absolute URL in the request line, Proxy-Connection header
    QString Referer;    // sent as "Referer: " even when empty; see sentReferer()
    QString Cookies;    // the jar text; no Cookie line when empty
    QString Body;       // POST only
    bool PostUtf = false;
    // A GET for the rest of a body, from byte RangeFrom on, only if it is still the
    // one IfRange names: both given, or neither line goes out.
    qint64 RangeFrom = 0;
    QByteArray IfRange;

    // GET for method 1, POST for method 2, nothing for any other method.
    QByteArray toBytes() const;
    // Asks a proxy for a tunnel to authority ("host:port"), for TLS inside it.
    static QByteArray connectBytes(QStringView authority);
    QString getText() const;
    // Referer as sent: empty when an https:// one would go over plain HTTP.
    QString sentReferer() const;
    QString postText() const;

    // Host part of a URL: every "http://" removed, then the text before the first
    // "/". An "https://" URL loses just that prefix.
    static QString host(QStringView url);
    // Path part: what follows the host and its "/".
    static QString path(QStringView url);
    // The URL starts with "https://": the request goes over TLS, to port 443 unless
    // the URL names another.
    static bool isHttps(QStringView url);
    // A URL holding a C0 control character (CR, LF, NUL, tab...) or DEL would let its
    // giver write request lines of their own; such URLs are never sent.
    static bool isSendable(QStringView url);
};
