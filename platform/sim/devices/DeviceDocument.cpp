#include "DeviceDocument.h"

#include <QJsonArray>

#include "platform/Devices.h"
#include "platform/sim/core/JsonCheck.h"

namespace platform::sim::devices {

namespace {

constexpr char kDevicesMember[] = "devices";
constexpr double kLargestWord = 4294967295.0;

struct TextField {
    const char* key;
    QString SimDevice::*member;
};

const TextField kTextFields[] = {
    {"parent", &SimDevice::parent},
    {"class", &SimDevice::setupClass},
    {"classGuid", &SimDevice::classGuid},
    {"service", &SimDevice::service},
    {"driver", &SimDevice::driver},
    {"name", &SimDevice::name},
    {"description", &SimDevice::description},
    {"friendlyName", &SimDevice::friendlyName},
    {"manufacturer", &SimDevice::manufacturer},
    {"busReportedDescription", &SimDevice::busReportedDescription},
    {"driverDescription", &SimDevice::driverDescription},
    {"driverProvider", &SimDevice::driverProvider},
    {"location", &SimDevice::location},
    {"containerId", &SimDevice::containerId},
    {"absentWith", &SimDevice::absentWith},
};

struct ListField {
    const char* key;
    QStringList SimDevice::*member;
};

const ListField kListFields[] = {
    {"hardwareIds", &SimDevice::hardwareIds},
    {"compatibleIds", &SimDevice::compatibleIds},
    {"interfaces", &SimDevice::interfaces},
};

QStringList knownFields() {
    QStringList fields{QStringLiteral("instanceId"), QStringLiteral("problem"),
                       QStringLiteral("status"), QStringLiteral("present")};
    for (const TextField& field : kTextFields)
        fields << QLatin1String(field.key);
    for (const ListField& field : kListFields)
        fields << QLatin1String(field.key);
    return fields;
}

bool readStringList(const QJsonObject& object, const QString& key, const QString& path,
                    QStringList& out, QString& error) {
    out.clear();
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return true;
    const QString where = json::memberPath(path, key);
    if (!value.isArray()) {
        error = QStringLiteral("%1: expected an array of texts").arg(where);
        return false;
    }
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i) {
        if (!array.at(i).isString()) {
            error = QStringLiteral("%1: expected a text").arg(json::indexPath(where, i));
            return false;
        }
        out << array.at(i).toString();
    }
    return true;
}

bool isGuidText(const QString& text) {
    Guid guid;
    return Guid::parse(text.toStdWString(), guid);
}

bool checkGuid(const QString& text, const QString& where, QString& error) {
    if (text.isEmpty() || isGuidText(text))
        return true;
    error = QStringLiteral("%1: \"%2\" is not a GUID in braces").arg(where, text);
    return false;
}

// One device; `profile` fills in what a profile may leave out.
bool readDevice(const QJsonValue& value, const QString& path, bool profile, SimDevice& device,
                QString& error) {
    QJsonObject object;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, knownFields(), path, error) ||
        !json::readString(object, QStringLiteral("instanceId"), path, false, device.instanceId,
                          error))
        return false;
    if (device.instanceId.isEmpty()) {
        error = QStringLiteral("%1: an empty instance ID")
                    .arg(json::memberPath(path, QStringLiteral("instanceId")));
        return false;
    }
    for (const TextField& field : kTextFields) {
        if (!json::readString(object, QLatin1String(field.key), path, true, device.*field.member,
                              error))
            return false;
    }
    for (const ListField& field : kListFields) {
        if (!readStringList(object, QLatin1String(field.key), path, device.*field.member, error))
            return false;
    }
    if (!checkGuid(device.classGuid, json::memberPath(path, QStringLiteral("classGuid")), error) ||
        !checkGuid(device.containerId, json::memberPath(path, QStringLiteral("containerId")),
                   error))
        return false;
    for (int i = 0; i < device.interfaces.size(); ++i) {
        if (!isGuidText(device.interfaces.at(i))) {
            error =
                QStringLiteral("%1: \"%2\" is not a GUID in braces")
                    .arg(json::indexPath(json::memberPath(path, QStringLiteral("interfaces")), i),
                         device.interfaces.at(i));
            return false;
        }
    }
    if (object.contains(QStringLiteral("problem"))) {
        quint64 problem = 0;
        if (!json::readUnsigned(object, QStringLiteral("problem"), path, false, kLargestWord,
                                problem, error))
            return false;
        device.problem = static_cast<quint32>(problem);
    }
    quint64 status = 0;
    const bool hasStatus = object.contains(QStringLiteral("status"));
    if (!json::readUnsigned(object, QStringLiteral("status"), path, true, kLargestWord, status,
                            error) ||
        !json::readBool(object, QStringLiteral("present"), path, true, device.present, error))
        return false;
    device.status = static_cast<quint32>(status);
    if (profile) {
        if (device.classGuid.isEmpty())
            device.classGuid = classGuidOf(device.setupClass);
        if (!hasStatus)
            device.status =
                kStatusStarted | (device.problem.value_or(0) != 0 ? kStatusHasProblem : 0);
    }
    return true;
}

bool readDevices(const QJsonValue& value, const QString& path, bool profile, DeviceList& list,
                 QString& error) {
    list.devices.clear();
    if (value.isUndefined())
        return true;
    if (!value.isArray()) {
        error = QStringLiteral("%1: expected an array of devices").arg(path);
        return false;
    }
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i) {
        SimDevice device;
        const QString where = json::indexPath(path, i);
        if (!readDevice(array.at(i), where, profile, device, error))
            return false;
        if (list.find(device.instanceId)) {
            error = QStringLiteral("%1: the instance ID %2 is listed twice")
                        .arg(where, device.instanceId);
            return false;
        }
        list.devices.push_back(std::move(device));
    }
    return true;
}

QJsonObject deviceJson(const SimDevice& device) {
    QJsonObject object{{QStringLiteral("instanceId"), device.instanceId}};
    for (const TextField& field : kTextFields) {
        if (!(device.*field.member).isEmpty())
            object.insert(QLatin1String(field.key), device.*field.member);
    }
    for (const ListField& field : kListFields) {
        if (!(device.*field.member).isEmpty())
            object.insert(QLatin1String(field.key),
                          QJsonArray::fromStringList(device.*field.member));
    }
    if (device.problem)
        object.insert(QStringLiteral("problem"), static_cast<double>(*device.problem));
    object.insert(QStringLiteral("status"), static_cast<double>(device.status));
    object.insert(QStringLiteral("present"), device.present);
    return object;
}

}  // namespace

QString SimDevice::displayName() const {
    if (!name.isEmpty())
        return name;
    return friendlyName.isEmpty() ? description : friendlyName;
}

QString SimDevice::enumerator() const {
    return instanceId.section(QLatin1Char('\\'), 0, 0);
}

std::optional<std::size_t> DeviceList::find(const QString& instanceId) const {
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].instanceId.compare(instanceId, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

std::vector<std::size_t> DeviceList::subtree(std::size_t index) const {
    std::vector<std::size_t> result{index};
    for (std::size_t next = 0; next < result.size(); ++next) {
        const QString& id = devices[result[next]].instanceId;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (i != index && devices[i].parent.compare(id, Qt::CaseInsensitive) == 0 &&
                std::find(result.begin(), result.end(), i) == result.end())
                result.push_back(i);
        }
    }
    return result;
}

QString classGuidOf(const QString& setupClass) {
    // Device setup classes as Windows registers them (devguid.h); the software device class
    // groups devices that software creates rather than a bus.
    static const std::pair<const char*, const char*> kClasses[] = {
        {"Printer", "{4D36E979-E325-11CE-BFC1-08002BE10318}"},
        {"PrintQueue", "{1ED2BBF9-11F0-4084-B21F-AD83A8E6DCDC}"},
        {"SoftwareDevice", "{62F9C741-B25A-46CE-B54C-9BCCCE08B6F2}"},
        {"USB", "{36FC9E60-C465-11CF-8056-444553540000}"},
        {"USBDevice", "{88BAE032-5A81-49F0-BC3D-A4FF138216D6}"},
        {"HIDClass", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}"},
        {"Keyboard", "{4D36E96B-E325-11CE-BFC1-08002BE10318}"},
        {"Mouse", "{4D36E96F-E325-11CE-BFC1-08002BE10318}"},
        {"DiskDrive", "{4D36E967-E325-11CE-BFC1-08002BE10318}"},
        {"Volume", "{71A27CDD-812A-11D0-BEC7-08002BE2092F}"},
        {"WPD", "{EEC5AD98-8080-425F-922A-DABF3DE3F69A}"},
        {"Camera", "{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}"},
        {"Image", "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}"},
        {"Bluetooth", "{E0CBF06C-CD8B-4647-BB8A-263B43F0F974}"},
        {"Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}"},
        {"Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}"},
        {"Monitor", "{4D36E96E-E325-11CE-BFC1-08002BE10318}"},
        {"MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}"},
        {"System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
        {"Computer", "{4D36E966-E325-11CE-BFC1-08002BE10318}"},
        {"Processor", "{50127DC3-0F36-415E-A6CC-4CB3BE910B65}"},
        {"SCSIAdapter", "{4D36E97B-E325-11CE-BFC1-08002BE10318}"},
        {"HDC", "{4D36E96A-E325-11CE-BFC1-08002BE10318}"},
        {"AudioEndpoint", "{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}"},
        {"SoftwareComponent", "{5C4C3332-344D-483C-8739-259E934C9CC8}"},
    };
    for (const auto& [name, guid] : kClasses) {
        if (setupClass.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QLatin1String(guid);
    }
    return {};
}

bool readDeviceDocument(const QJsonObject& document, DeviceList& list, QString& error) {
    return readDevices(document.value(QLatin1String(kDevicesMember)), QLatin1String(kDevicesMember),
                       false, list, error);
}

void writeDeviceDocument(const DeviceList& list, QJsonObject& document) {
    QJsonArray devices;
    for (const SimDevice& device : list.devices)
        devices.append(deviceJson(device));
    document.insert(QLatin1String(kDevicesMember), devices);
}

ProfileSection devicesProfileSection() {
    ProfileSection section;
    section.name = QLatin1String(kDevicesMember);
    section.facility = QLatin1String(kDevicesFacility);
    section.parse = [](const QJsonValue& value, const QString& path, QJsonObject& document,
                       QString& error) {
        DeviceList list;
        if (!readDevices(value, path, true, list, error))
            return false;
        for (const SimDevice& device : list.devices) {
            if (!device.parent.isEmpty() && !list.find(device.parent) &&
                device.parent.compare(QLatin1String("HTREE\\ROOT\\0"), Qt::CaseInsensitive) != 0) {
                error = QStringLiteral("%1: %2 names the parent %3, which is not listed")
                            .arg(path, device.instanceId, device.parent);
                return false;
            }
        }
        writeDeviceDocument(list, document);
        return true;
    };
    return section;
}

}  // namespace platform::sim::devices
