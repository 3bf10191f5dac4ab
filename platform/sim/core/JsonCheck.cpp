#include "platform/sim/core/JsonCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cmath>

namespace platform::sim::json {

namespace {

bool isPlainIdentifier(const QString& key) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(key).hasMatch();
}

// JSON string syntax, so that a backslash in a registry path reads as it is written in the file.
QString quoted(const QString& key) {
    const QByteArray array = QJsonDocument(QJsonArray{key}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

bool missing(const QJsonObject& object, const QString& key, const QString& path, bool optional,
             QString& error, bool& present) {
    present = object.contains(key);
    if (!present && !optional) {
        error = QStringLiteral("missing field %1").arg(memberPath(path, key));
        return true;
    }
    return false;
}

// Reads object[key] when present (or fails when it is missing and not optional); `take` checks
// the value's kind and keeps it, and `expected` names that kind in the message.
template <typename Take>
bool readMember(const QJsonObject& object, const QString& key, const QString& path, bool optional,
                QString& error, const QString& expected, Take take) {
    bool present = false;
    if (missing(object, key, path, optional, error, present)) {
        return false;
    }
    if (present && !take(object.value(key))) {
        error = QStringLiteral("%1: expected %2").arg(memberPath(path, key), expected);
        return false;
    }
    return true;
}

}  // namespace

QString lineAndColumn(const QByteArray& text, int offset) {
    const QByteArray before = text.left(offset);
    const QString lastLine = QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1));
    return QStringLiteral("%1:%2").arg(before.count('\n') + 1).arg(qMax(1, lastLine.size()));
}

QString memberPath(const QString& parent, const QString& key) {
    const QString segment = isPlainIdentifier(key) ? key : quoted(key);
    return parent.isEmpty() ? segment : parent + QLatin1Char('.') + segment;
}

QString indexPath(const QString& parent, int index) {
    return QStringLiteral("%1[%2]").arg(parent).arg(index);
}

bool rejectUnknownFields(const QJsonObject& object, const QStringList& known, const QString& path,
                         QString& error) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key())) {
            error = QStringLiteral("unknown field %1").arg(memberPath(path, it.key()));
            return false;
        }
    }
    return true;
}

bool readObject(const QJsonValue& value, const QString& path, QJsonObject& out, QString& error) {
    if (!value.isObject()) {
        error = QStringLiteral("%1: expected an object").arg(path);
        return false;
    }
    out = value.toObject();
    return true;
}

bool readString(const QJsonObject& object, const QString& key, const QString& path, bool optional,
                QString& out, QString& error) {
    return readMember(object, key, path, optional, error, QStringLiteral("a string"),
                      [&out](const QJsonValue& value) {
                          if (!value.isString()) {
                              return false;
                          }
                          out = value.toString();
                          return true;
                      });
}

bool readBool(const QJsonObject& object, const QString& key, const QString& path, bool optional,
              bool& out, QString& error) {
    return readMember(object, key, path, optional, error, QStringLiteral("true or false"),
                      [&out](const QJsonValue& value) {
                          if (!value.isBool()) {
                              return false;
                          }
                          out = value.toBool();
                          return true;
                      });
}

bool readUnsigned(const QJsonObject& object, const QString& key, const QString& path, bool optional,
                  double max, quint64& out, QString& error) {
    const QString expected =
        QStringLiteral("a whole number from 0 to %1").arg(static_cast<quint64>(max));
    return readMember(
        object, key, path, optional, error, expected, [&out, max](const QJsonValue& value) {
            const double number = value.toDouble(-1);
            if (!value.isDouble() || number < 0 || number > max || std::floor(number) != number) {
                return false;
            }
            out = static_cast<quint64>(number);
            return true;
        });
}

}  // namespace platform::sim::json
