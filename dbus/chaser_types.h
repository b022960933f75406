// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QList>
#include <QObject>
#include <QString>

namespace velmo::dbus {

// One entry of the chaser's property Patterns, (us) on the bus: a pattern's
// number and name.
struct PatternEntry {
  uint number = 0;
  QString name;
  bool operator==(const PatternEntry&) const = default;
};
using PatternEntries = QList<PatternEntry>;

inline QDBusArgument& operator<<(QDBusArgument& argument, const PatternEntry& entry) {
  argument.beginStructure();
  argument << entry.number << entry.name;
  argument.endStructure();
  return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, PatternEntry& entry) {
  argument.beginStructure();
  argument >> entry.number >> entry.name;
  argument.endStructure();
  return argument;
}

// Makes the types above known to Qt's bus layer; the chaser's adaptor and
// proxy need that before their first use. Any number of calls.
inline void registerChaserTypes() {
  qDBusRegisterMetaType<PatternEntry>();
  qDBusRegisterMetaType<PatternEntries>();
}

}  // namespace velmo::dbus

Q_DECLARE_METATYPE(velmo::dbus::PatternEntry)
