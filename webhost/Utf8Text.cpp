#include "Utf8Text.h"

namespace webhost {
namespace {

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

QByteArray truncateUtf8(const QByteArray& utf8, int maxBytes) {
    if (maxBytes <= 0) {
        return QByteArray();
    }
    if (utf8.size() <= maxBytes) {
        return utf8;
    }
    // utf8[maxBytes] is the first byte cut off; when it continues a character, that character
    // started inside the kept part and goes too.
    int end = maxBytes;
    while (end > 0 && isContinuationByte(utf8[end])) {
        --end;
    }
    return utf8.left(end);
}

}  // namespace webhost
