#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdio>
#include <cstdlib>

// A property that failed ends the run with the input that broke it: libFuzzer
// takes the abort as a crash and keeps the input as an artifact.
[[noreturn]] inline void FuzzFailed(const char *property, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, property);
    std::abort();
}

#define FUZZ_CHECK(property) ((property) ? void() : FuzzFailed(#property, __FILE__, __LINE__))

// Printable ASCII as it is, everything else escaped, so a report shows what differs.
inline QByteArray FuzzShown(const QString &text)
{
    QByteArray shown;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            shown += char(c.unicode());
        else
            shown += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    }
    return shown;
}

// Every surrogate in its pair.
inline bool ValidUtf16(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate()) {
            if (i + 1 == text.size() || !text[i + 1].isLowSurrogate())
                return false;
            ++i;
        } else if (text[i].isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

inline QByteArray FuzzShown(const QByteArray &bytes)
{
    QByteArray shown;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7F)
            shown += c;
        else
            shown += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
    }
    return shown;
}

// Two texts or byte arrays that must agree; both are printed when they do not.
template<typename T>
void FuzzSame(const T &a, const T &b, const char *what, const char *file, int line)
{
    if (a == b)
        return;
    std::fprintf(stderr, "left:  %s\nright: %s\n", FuzzShown(a).constData(),
                 FuzzShown(b).constData());
    FuzzFailed(what, file, line);
}

#define FUZZ_SAME(a, b) FuzzSame((a), (b), #a " == " #b, __FILE__, __LINE__)
