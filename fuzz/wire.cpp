// The bridge's wire text as a page (or a page's hostile script) can make it: what reads as a
// value writes back to text that reads as the same value.
#include "FuzzSupport.h"
#include "JsValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const webhost::JsValue value = webhost::JsValue::fromWire(fuzz::bytes(data, size));
    const QByteArray written = value.toWire();
    fuzz::require(webhost::JsValue::fromWire(written) == value, "wire text does not read back");
    // The conversions the commands apply to their arguments.
    value.toInt();
    value.toBoolean();
    value.toUtf8();
    for (int i = 0; i < value.length() && i < 16; ++i) {
        value.at(i).toText();
    }
    return 0;
}
