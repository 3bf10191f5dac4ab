#include "VersionInfo.h"

#include "BuildInfo.h"

namespace process {

QString FileVersion::toString() const {
    return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(build).arg(revision);
}

VersionInfo VersionInfo::ofProgram() {
    VersionInfo info;
    info.valid_ = true;
    info.fileVersion_ = {build::kVersionMajor, build::kVersionMinor, build::kVersionBuild,
                         build::kVersionRevision};
    const QString version = info.fileVersion_.toString();
    info.strings_ = {
        {QStringLiteral("ProductName"), QStringLiteral("Corvanta")},
        {QStringLiteral("CompanyName"), QStringLiteral("Talvent")},
        {QStringLiteral("LegalCopyright"), QStringLiteral("Copyright (C) Talvent")},
        {QStringLiteral("OriginalFilename"), QStringLiteral("Corvanta.exe")},
        {QStringLiteral("InternalName"), QStringLiteral("Corvanta")},
        {QStringLiteral("FileVersion"), version},
        {QStringLiteral("ProductVersion"), version},
    };
    return info;
}

}  // namespace process
