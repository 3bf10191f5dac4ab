#pragma once

#include <QString>

namespace platform::sim::fonts {

// The names a font file gives itself in its naming table: the family (name 1) and the full
// name (name 4), the Windows English names first, as Windows shows them.
struct FontNames {
    QString family;
    QString fullName;
};

// Reads the names with FreeType. False, with the reason in `error`, for a file that is missing
// or is not a font.
bool readFontNames(const QString& path, FontNames& names, QString& error);

}  // namespace platform::sim::fonts
