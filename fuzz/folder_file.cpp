// The download folder file: a QDataStream string that anything may have overwritten.
#include "FuzzSupport.h"
#include "downloads/FolderFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::inputFile(QStringLiteral("qenb.x"), fuzz::bytes(data, size));
    const QString folder = downloads::readFolderFile(path);
    // What was read is written and read back the same.
    if (!folder.isEmpty()) {
        fuzz::require(downloads::writeFolderFile(path, folder), "folder file not written");
        fuzz::require(downloads::readFolderFile(path) == folder, "folder file read back differs");
    }
    return 0;
}
