#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "platform/sim/core/SystemFacts.h"

namespace platform::sim {

// One top-level section of a profile. Each facility contributes its own: the parser checks the
// section (unknown fields are errors, named by their JSON path) and writes what it describes
// into the facility's initial state document. Several sections may feed one document.
struct ProfileSection {
    QString name;
    QString facility;
    bool required = false;
    std::function<bool(const QJsonValue& section, const QString& path, QJsonObject& document,
                       QString& error)>
        parse;
};

struct FacilityDescription;
using Facilities = std::vector<FacilityDescription>;

// Every section the facilities read, in the order they are parsed.
std::vector<ProfileSection> profileSections(const Facilities& facilities);

// A checked profile: the initial state document of each facility.
struct Profile {
    QString source;
    QString description;
    SystemFacts system;
    QMap<QString, QJsonObject> documents;  // by facility
};

inline const QLatin1String kDefaultProfileName{"win10"};

QStringList bundledProfileNames();
// A bundled profile's name, or else a file's path.
bool loadProfile(const QString& nameOrFile, const Facilities& facilities, Profile& profile,
                 QString& error);
// `source` names the text in messages: "profile <source>:<line>:<column>: ..." for text that is
// not JSON, "profile <source>: unknown field system.buildd" and the like for the rest.
bool parseProfile(const QByteArray& text, const QString& source, const Facilities& facilities,
                  Profile& profile, QString& error);

}  // namespace platform::sim
