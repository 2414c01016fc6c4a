#include "accesskey.h"

QChar AccessKey(const QString &caption)
{
    if (caption.size() < 2)
        return {};
    const qsizetype p = caption.indexOf(u'&');
    if (p < 0 || p == caption.size() - 1)
        return {};
    if (caption.at(p + 1) != u'&')
        return caption.at(p + 1).toLower();
    const qsizetype next = caption.indexOf(u'&', p + 2);
    if (next < 0 || next == caption.size() - 1 || caption.at(next + 1) == u'&')
        return {};
    return caption.at(next + 1).toLower();
}

QString CaptionText(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            text += caption.at(i);
        else if (i + 1 < caption.size() && caption.at(i + 1) == u'&')
            text += caption.at(++i);
    }
    return text;
}
