#include "WmiModel.h"

#include <QRegularExpression>
#include <QString>

namespace platform::sim {

bool parseWql(const std::wstring& wql, WqlQuery& query) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+(\w+)\s*)"
                       R"((?:WHERE\s+(\w+)\s*(!=|<>|=)\s*'([^']*)'\s*)?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromStdWString(wql));
    if (!match.hasMatch())
        return false;
    query.className = match.captured(1).toLower().toStdWString();
    query.property = match.captured(2).toStdWString();
    query.notEqual =
        match.captured(3) == QLatin1String("!=") || match.captured(3) == QLatin1String("<>");
    query.value = match.captured(4).toStdWString();
    return true;
}

bool matchesWql(const WqlQuery& query, const WmiProperties& object) {
    if (query.property.empty())
        return true;
    for (const auto& [name, value] : object) {
        if (QString::fromStdWString(name).compare(QString::fromStdWString(query.property),
                                                  Qt::CaseInsensitive) != 0)
            continue;
        if (value.type == WmiValue::Type::Null)
            return false;
        const QString text = value.type == WmiValue::Type::Int32
                                 ? QString::number(value.number)
                                 : QString::fromStdWString(value.text);
        const bool equal =
            text.compare(QString::fromStdWString(query.value), Qt::CaseInsensitive) == 0;
        return query.notEqual ? !equal : equal;
    }
    return false;
}

}  // namespace platform::sim
