#include "UsbPayloads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace mainwindow {

namespace {

using webhost::JsValue;

QJsonArray textArray(const std::vector<std::wstring>& texts) {
    QJsonArray array;
    for (const std::wstring& text : texts)
        array.append(QString::fromStdWString(text));
    return array;
}

JsValue text(const std::wstring& value) {
    return JsValue::string(QString::fromStdWString(value));
}

}  // namespace

QByteArray usbPrinterJson(const devices::USBPrinterInfo& record) {
    const QJsonObject object{
        {QStringLiteral("compatibleids"), textArray(record.compatibleIds)},
        {QStringLiteral("deviceDesc"), QString::fromStdWString(record.deviceDesc)},
        {QStringLiteral("friendlyName"), QString::fromStdWString(record.friendlyName)},
        {QStringLiteral("hardwareids"), textArray(record.hardwareIds)},
        {QStringLiteral("mfg"), QString::fromStdWString(record.mfg)},
        {QStringLiteral("searchMethod"), record.searchMethod},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

JsValue usbDeviceGroupValue(const devices::UsbDeviceGroup& group) {
    QList<JsValue> members;
    for (const devices::UsbGroupMember& member : group) {
        members.append(JsValue::objectOf({
            {"Name", text(member.name)},
            {"Manu", text(member.manufacturer)},
            {"Service", text(member.service)},
            {"Class", text(member.className)},
            {"Enumerator", text(member.enumerator)},
            {"Instanceid", text(member.instanceId)},
            {"ParentInstanceid", text(member.parentInstanceId)},
            {"Hardwareid", text(member.hardwareId)},
        }));
    }
    return JsValue::arrayOf(members);
}

QStringList serviceFilterFromArgument(const JsValue& argument) {
    QStringList filter;
    if (!argument.isArray())
        return filter;
    for (int i = 0; i < argument.length(); ++i)
        filter.append(argument.at(i).toText());
    return filter;
}

}  // namespace mainwindow
