#include "WmiProfileSection.h"

#include <QJsonArray>
#include <limits>

#include "platform/posix/HostHardware.h"
#include "platform/sim/core/JsonCheck.h"

namespace platform::sim {

namespace {

constexpr char kSource[] = "source";
constexpr char kFailAt[] = "failAt";
constexpr char kClasses[] = "classes";
constexpr char kHostSource[] = "host";

bool isKnownSource(const QString& source) {
    return source == QLatin1String("profile") || source == QLatin1String(kHostSource);
}

bool isKnownFailure(const QString& step) {
    static const QStringList steps{QString(),
                                   QStringLiteral("com"),
                                   QStringLiteral("locator"),
                                   QStringLiteral("connect"),
                                   QStringLiteral("blanket"),
                                   QStringLiteral("query")};
    return steps.contains(step);
}

bool isInt32(const QJsonValue& value) {
    const double number = value.toDouble();
    return number == static_cast<double>(static_cast<qint64>(number)) &&
           number >= std::numeric_limits<qint32>::min() &&
           number <= std::numeric_limits<qint32>::max();
}

bool checkObject(const QJsonValue& value, const QString& path, QString& error) {
    if (!value.isObject()) {
        error = QStringLiteral("%1 must be an object").arg(path);
        return false;
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue property = it.value();
        if (property.isString() || property.isNull() || (property.isDouble() && isInt32(property)))
            continue;
        error = QStringLiteral("%1 must be a text, a 32-bit whole number or null")
                    .arg(json::memberPath(path, it.key()));
        return false;
    }
    return true;
}

bool checkClasses(const QJsonValue& value, const QString& path, QString& error) {
    if (!value.isObject()) {
        error = QStringLiteral("%1 must be an object").arg(path);
        return false;
    }
    const QJsonObject classes = value.toObject();
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        const QString classPath = json::memberPath(path, it.key());
        if (!it.value().isArray()) {
            error = QStringLiteral("%1 must be an array of objects").arg(classPath);
            return false;
        }
        const QJsonArray objects = it.value().toArray();
        for (int i = 0; i < objects.size(); ++i) {
            if (!checkObject(objects[i], json::indexPath(classPath, i), error))
                return false;
        }
    }
    return true;
}

bool parseWmiSection(const QJsonValue& section, const QString& path, QJsonObject& document,
                     QString& error) {
    QJsonObject object;
    QString source = QStringLiteral("profile");
    QString failAt;
    if (!json::readObject(section, path, object, error) ||
        !json::rejectUnknownFields(object, {kSource, kFailAt, kClasses}, path, error) ||
        !json::readString(object, kSource, path, true, source, error) ||
        !json::readString(object, kFailAt, path, true, failAt, error))
        return false;
    if (!isKnownSource(source)) {
        error = QStringLiteral("%1 must be \"profile\" or \"host\"")
                    .arg(json::memberPath(path, kSource));
        return false;
    }
    if (!isKnownFailure(failAt)) {
        error = QStringLiteral("%1 must be one of com, locator, connect, blanket, query")
                    .arg(json::memberPath(path, kFailAt));
        return false;
    }
    const QJsonValue classes = object.value(kClasses);
    if (!classes.isUndefined() && !checkClasses(classes, json::memberPath(path, kClasses), error))
        return false;
    document.insert(kSource, source);
    document.insert(kFailAt, failAt);
    document.insert(kClasses, classes.isUndefined() ? QJsonObject() : classes.toObject());
    return true;
}

WmiValue wmiValue(const QJsonValue& value) {
    if (value.isString())
        return WmiValue::string(value.toString().toStdWString());
    if (value.isDouble())
        return WmiValue::int32(static_cast<std::int32_t>(value.toDouble()));
    return WmiValue();
}

std::vector<WmiProperties> wmiObjects(const QJsonArray& objects) {
    std::vector<WmiProperties> result;
    for (const QJsonValue& object : objects) {
        WmiProperties properties;
        const QJsonObject members = object.toObject();
        for (auto it = members.begin(); it != members.end(); ++it)
            properties[it.key().toStdWString()] = wmiValue(it.value());
        result.push_back(properties);
    }
    return result;
}

}  // namespace

ProfileSection wmiProfileSection() {
    return {kWmiFacility, kWmiFacility, false, parseWmiSection};
}

WmiModel wmiModelFromDocument(const QJsonObject& document) {
    WmiModel model;
    if (document.value(kSource).toString() == QLatin1String(kHostSource))
        model.classes = posix::readHostHardware();
    const QJsonObject classes = document.value(kClasses).toObject();
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        const std::wstring name = it.key().toLower().toStdWString();
        // Host hardware replaces the profile's hardware classes, not the rest.
        if (model.classes.count(name) == 0)
            model.classes[name] = wmiObjects(it.value().toArray());
    }
    model.failAt = document.value(kFailAt).toString().toStdWString();
    return model;
}

}  // namespace platform::sim
