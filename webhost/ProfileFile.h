#pragma once

#include <QString>
#include <vector>

namespace webhost {

// An initialization file read as the Win32 profile functions read it (GetPrivateProfileStringW,
// GetPrivateProfileIntW). QSettings is not used: it would split values at commas and treat
// backslashes and quotes its own way.
//
// - Sections and keys compare without regard to letter case; the first match wins.
// - Lines starting with ';' are comments. Keys and values are trimmed; a value enclosed in a
//   matching pair of quotes loses them.
// - A string comes back truncated to what the caller's buffer holds.
class ProfileFile {
public:
    // Answers false when the file does not exist or cannot be read.
    bool load(const QString& path);
    void parse(const QString& text);

    // The value, or `fallback` when the section or key is missing; at most bufferChars - 1
    // characters, as a buffer of bufferChars characters (with its terminating null) holds.
    QString string(const QString& section, const QString& key, const QString& fallback,
                   int bufferChars) const;
    // GetPrivateProfileIntW: `fallback` when the key is missing or empty; otherwise the
    // decimal number at the start of the value (see parseProfileInt).
    int integer(const QString& section, const QString& key, int fallback) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const Entry* find(const QString& section, const QString& key) const;

    std::vector<Section> m_sections;
};

// The decimal conversion of the profile and C runtime functions (_wtoi): leading white space,
// an optional sign, then decimal digits up to the first other character; no digits gives 0.
// Overflow wraps around as 32-bit arithmetic does.
int parseProfileInt(const QString& text);

}  // namespace webhost
