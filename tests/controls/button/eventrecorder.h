#pragma once

#include <QObject>
#include <QStringList>

// Writes down every event a button raises, with its arguments, in order:
// "MouseMove 1 0 5 5", "Click", "MouseOut 0".
template<typename Button> QStringList *RecordEvents(Button *button, QObject *context)
{
    auto *log = new QStringList;
    QObject::connect(context, &QObject::destroyed, [log] { delete log; });
    const auto num = [](auto v) { return QString::number(v); };
    const auto mouse = [log, num](const char *name) {
        return [log, num, name](qint16 b, qint16 s, float x, float y) {
            log->append(QString::fromLatin1(name) + u' ' + num(b) + u' ' + num(s) + u' ' + num(x) +
                        u' ' + num(y));
        };
    };
    const auto key = [log, num](const char *name) {
        return [log, num, name](qint16 k, qint16 s) {
            log->append(QString::fromLatin1(name) + u' ' + num(k) + u' ' + num(s));
        };
    };
    const auto shift = [log, num](const char *name) {
        return
            [log, num, name](qint16 s) { log->append(QString::fromLatin1(name) + u' ' + num(s)); };
    };
    QObject::connect(button, &Button::Click, context,
                     [log] { log->append(QStringLiteral("Click")); });
    QObject::connect(button, &Button::KeyDown, context, key("KeyDown"));
    QObject::connect(button, &Button::KeyUp, context, key("KeyUp"));
    QObject::connect(button, &Button::MouseDown, context, mouse("MouseDown"));
    QObject::connect(button, &Button::MouseMove, context, mouse("MouseMove"));
    QObject::connect(button, &Button::MouseUp, context, mouse("MouseUp"));
    QObject::connect(button, &Button::MouseIn, context, shift("MouseIn"));
    QObject::connect(button, &Button::MouseOut, context, shift("MouseOut"));
    return log;
}
