#include "propertybag.h"

#include <QFont>
#include <QJsonValue>
#include <QSettings>

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return false;
    if (a.metaType() == b.metaType())
        return a == b;
    QVariant converted = a;
    return converted.convert(b.metaType()) && converted == b;
}

QVariant convertedTo(const QVariant &value, const QVariant &like)
{
    if (!like.isValid() || value.metaType() == like.metaType())
        return value;
    if (like.metaType().id() == QMetaType::QFont && value.metaType().id() == QMetaType::QString) {
        QFont font;
        if (font.fromString(value.toString()))
            return font;
        return like;
    }
    if (like.metaType().id() == QMetaType::Bool && value.metaType().id() == QMetaType::QString) {
        // Settings files hold booleans as text.
        const QString text = value.toString().toLower();
        if (text == u"true" || text == u"-1" || text == u"1")
            return true;
        if (text == u"false" || text == u"0")
            return false;
        return like;
    }
    QVariant converted = value;
    return converted.convert(like.metaType()) ? converted : like;
}

} // namespace

qsizetype PropertyBag::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant PropertyBag::ReadProperty(const QString &name, const QVariant &defaultValue) const
{
    const qsizetype i = indexOf(name);
    if (i < 0)
        return defaultValue;
    return convertedTo(entries[i].value, defaultValue);
}

void PropertyBag::WriteProperty(const QString &name, const QVariant &value,
                                const QVariant &defaultValue)
{
    const qsizetype i = indexOf(name);
    if (sameValue(value, defaultValue)) {
        if (i >= 0)
            entries.removeAt(i);
        return;
    }
    if (i >= 0)
        entries[i].value = value;
    else
        entries.append({name, value});
}

bool PropertyBag::contains(const QString &name) const
{
    return indexOf(name) >= 0;
}

QStringList PropertyBag::names() const
{
    QStringList result;
    for (const Entry &e : entries)
        result.append(e.name);
    return result;
}

void PropertyBag::save(QSettings &settings) const
{
    for (const Entry &e : entries)
        settings.setValue(e.name, e.value);
}

PropertyBag PropertyBag::load(QSettings &settings)
{
    PropertyBag bag;
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        bag.entries.append({key, settings.value(key)});
    return bag;
}

QJsonObject PropertyBag::toJson() const
{
    QJsonObject object;
    for (const Entry &e : entries) {
        if (e.value.metaType().id() == QMetaType::QFont)
            object.insert(e.name, e.value.value<QFont>().toString());
        else
            object.insert(e.name, QJsonValue::fromVariant(e.value));
    }
    return object;
}

PropertyBag PropertyBag::fromJson(const QJsonObject &object)
{
    PropertyBag bag;
    for (auto it = object.begin(); it != object.end(); ++it)
        bag.entries.append({it.key(), it.value().toVariant()});
    return bag;
}
