#pragma once

#include "../JsValue.h"
#include "WkeLibrary.h"

namespace webhost::wke {

// Page values and the engine's value handles, converted member by member: arrays and objects
// whole (to a fixed depth, so a page object that contains itself still converts), functions as
// empty objects. Entry points the DLL lacks give undefined values. UI thread only.
JsValue fromEngine(ExecState state, Value value);
Value toEngine(ExecState state, const JsValue& value);

}  // namespace webhost::wke
