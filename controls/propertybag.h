#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>

class QSettings;

// The stored design-time properties of a placed control: named values with
// defaults. Names match without regard to case. A value equal to its default is
// not stored, so a bag holds only what differs from a new control.
class PropertyBag
{
public:
    // The stored value converted to the type of defaultValue, or defaultValue
    // when the name is absent or the stored value does not convert.
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue = {}) const;

    // Stores value under name; a value equal to defaultValue removes the name.
    void WriteProperty(const QString &name, const QVariant &value,
                       const QVariant &defaultValue = {});

    bool contains(const QString &name) const;
    QStringList names() const;
    bool isEmpty() const { return entries.isEmpty(); }

    // Into and out of the current group of settings (one key per property).
    void save(QSettings &settings) const;
    static PropertyBag load(QSettings &settings);

    // Fonts travel as QFont::toString(), everything else as JSON values.
    QJsonObject toJson() const;
    static PropertyBag fromJson(const QJsonObject &object);

private:
    struct Entry
    {
        QString name;
        QVariant value;
    };
    qsizetype indexOf(const QString &name) const;

    QList<Entry> entries;
};
