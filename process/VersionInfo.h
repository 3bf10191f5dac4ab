#pragma once

#include <QMap>
#include <QString>

namespace process {

// The fixed part of a version resource.
struct FileVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;

    // "major.minor.build.revision"
    QString toString() const;
};

// A program's version resource: its file version and its string values ("ProductName",
// "CompanyName", "LegalCopyright", "OriginalFilename", "InternalName", "FileVersion",
// "ProductVersion") in the first translation.
class VersionInfo {
public:
    // The resource of this program (Corvanta), built into it.
    static VersionInfo ofProgram();

    VersionInfo() = default;
    virtual ~VersionInfo() = default;
    VersionInfo(const VersionInfo&) = default;
    VersionInfo& operator=(const VersionInfo&) = default;

    // False for a file without a version resource.
    bool isValid() const { return valid_; }
    FileVersion fileVersion() const { return fileVersion_; }
    // The value, or empty text when the resource has none of that name.
    QString stringValue(const QString& name) const { return strings_.value(name); }

private:
    bool valid_ = false;
    FileVersion fileVersion_;
    QMap<QString, QString> strings_;
};

}  // namespace process
