#pragma once

#include <QString>

namespace downloads {

// The folder file keeps one QString in QDataStream's default serialisation (Qt 5, big-endian):
// a 32-bit byte count, 0xFFFFFFFF for a null string, then UTF-16 code units. Nothing else is in
// the file, so anything else (a short file, a count past the end, an odd count, trailing bytes)
// is not a folder file and reads as a null string.
QString readFolderFile(const QString& path);
// Writes the string, replacing the file. Answers false when the file cannot be written.
bool writeFolderFile(const QString& path, const QString& folder);

}  // namespace downloads
