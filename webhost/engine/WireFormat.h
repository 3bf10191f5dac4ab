#pragma once

#include <QByteArray>

namespace webhost {

class JsValue;

// The text form in which values cross between the page and native code: JSON, with
// {"__corvanta_undefined":1} standing for undefined wherever it appears (top level, array
// element or object member), since JSON itself has no undefined.
namespace wire {

constexpr const char* kUndefinedMarkerKey = "__corvanta_undefined";

QByteArray write(const JsValue& value);
// Malformed text reads as undefined.
JsValue read(const QByteArray& text);

}  // namespace wire
}  // namespace webhost
