#pragma once

#include <QByteArray>

namespace webhost {

// The first bytes of `utf8`, at most `maxBytes` of them, cut before a character that would not
// fit whole. Used where a text goes into a fixed-size field.
QByteArray truncateUtf8(const QByteArray& utf8, int maxBytes);

}  // namespace webhost
