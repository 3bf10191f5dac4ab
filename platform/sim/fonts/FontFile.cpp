#include "FontFile.h"

#include <QFile>

#include <memory>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

namespace platform::sim::fonts {

namespace {

constexpr FT_UShort kNameFamily = 1;
constexpr FT_UShort kNameFullName = 4;
constexpr FT_UShort kLanguageEnglishUs = 0x409;

struct LibraryCloser {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

QString decode(const FT_SfntName& name) {
    const auto* bytes = reinterpret_cast<const char*>(name.string);
    if (name.platform_id == TT_PLATFORM_MICROSOFT ||
        name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
        QString text;  // UTF-16, big-endian
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2) {
            text.append(QChar(char16_t((name.string[i] << 8) | name.string[i + 1])));
        }
        return text;
    }
    return QString::fromLatin1(bytes, int(name.string_len));
}

// The best entry for one name id: Windows US English, then any Windows entry, then any.
QString sfntName(FT_Face face, FT_UShort nameId) {
    QString anyWindows;
    QString any;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != nameId) {
            continue;
        }
        const QString text = decode(name);
        if (name.platform_id == TT_PLATFORM_MICROSOFT) {
            if (name.language_id == kLanguageEnglishUs) {
                return text;
            }
            if (anyWindows.isEmpty()) {
                anyWindows = text;
            }
        } else if (any.isEmpty()) {
            any = text;
        }
    }
    return anyWindows.isEmpty() ? any : anyWindows;
}

}  // namespace

bool readFontNames(const QString& path, FontNames& names, QString& error) {
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) {
        error = QStringLiteral("FreeType could not be started");
        return false;
    }
    const Library library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), QFile::encodeName(path).constData(), 0, &rawFace) != 0) {
        error = QFile::exists(path) ? QStringLiteral("%1 is not a font file").arg(path)
                                    : QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    const Face face(rawFace);
    names.family = sfntName(face.get(), kNameFamily);
    names.fullName = sfntName(face.get(), kNameFullName);
    if (names.family.isEmpty() && face->family_name != nullptr) {
        names.family = QString::fromUtf8(face->family_name);
    }
    if (names.fullName.isEmpty()) {
        names.fullName = names.family;
    }
    if (names.fullName.isEmpty()) {
        error = QStringLiteral("%1 names no font").arg(path);
        return false;
    }
    return true;
}

}  // namespace platform::sim::fonts
