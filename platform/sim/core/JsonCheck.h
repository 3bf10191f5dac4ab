#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// Small checks shared by the readers of profiles and state documents. Every message names the
// place it is about as a JSON path (system.version.major, registry."HKEY_LOCAL_MACHINE\\X".Foo).
namespace platform::sim::json {

// "line:column" (both from 1) of the character a QJsonParseError offset points just past.
QString lineAndColumn(const QByteArray& text, int offset);

// The path of member `key` below `parent`; keys other than plain identifiers are quoted.
QString memberPath(const QString& parent, const QString& key);
QString indexPath(const QString& parent, int index);

// False, with "unknown field <path>" in `error`, when `object` has a member not in `known`.
bool rejectUnknownFields(const QJsonObject& object, const QStringList& known, const QString& path,
                         QString& error);

// Each reads `object[key]` and answers false with a message naming the path when it is missing
// (and not optional) or of the wrong kind. Optional members keep the value given.
bool readObject(const QJsonValue& value, const QString& path, QJsonObject& out, QString& error);
bool readString(const QJsonObject& object, const QString& key, const QString& path, bool optional,
                QString& out, QString& error);
bool readBool(const QJsonObject& object, const QString& key, const QString& path, bool optional,
              bool& out, QString& error);
// A whole number in [0, max].
bool readUnsigned(const QJsonObject& object, const QString& key, const QString& path, bool optional,
                  double max, quint64& out, QString& error);

}  // namespace platform::sim::json
