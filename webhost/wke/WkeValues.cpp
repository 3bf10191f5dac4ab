#include "WkeValues.h"

#include <climits>
#include <cmath>

namespace webhost::wke {
namespace {

// Deeper members arrive as undefined: a page's own data is never nested this deep.
constexpr int kMaxDepth = 32;

JsValue arrayFromEngine(ExecState state, Value array, int depth);
JsValue objectFromEngine(ExecState state, Value object, int depth);

JsValue fromEngineAt(ExecState state, Value value, int depth) {
    const Api& e = api();
    if (!e.jsTypeOf || depth > kMaxDepth) {
        return JsValue();
    }
    switch (e.jsTypeOf(value)) {
        case ValueType::Number:
            return e.jsToDouble ? JsValue::number(e.jsToDouble(state, value))
                                : JsValue::integer(e.jsToInt ? e.jsToInt(state, value) : 0);
        case ValueType::String: {
            const char* text = e.jsToTempString ? e.jsToTempString(state, value) : nullptr;
            return JsValue::string(QByteArray(text ? text : ""));
        }
        case ValueType::Boolean:
            return JsValue::boolean(e.jsToBoolean && e.jsToBoolean(state, value));
        case ValueType::Null:
            return JsValue::null();
        case ValueType::Array:
            return arrayFromEngine(state, value, depth);
        case ValueType::Object:
            return objectFromEngine(state, value, depth);
        case ValueType::Function:
            return JsValue::emptyObject();
        case ValueType::Undefined:
            break;
    }
    return JsValue();
}

JsValue arrayFromEngine(ExecState state, Value array, int depth) {
    const Api& e = api();
    JsValue result = JsValue::emptyArray();
    const int length = e.jsGetLength ? e.jsGetLength(state, array) : 0;
    for (int i = 0; i < length && e.jsGetAt; ++i) {
        result.append(fromEngineAt(state, e.jsGetAt(state, array, i), depth + 1));
    }
    return result;
}

JsValue objectFromEngine(ExecState state, Value object, int depth) {
    const Api& e = api();
    JsValue result = JsValue::emptyObject();
    const Keys* keys = e.jsGetKeys ? e.jsGetKeys(state, object) : nullptr;
    if (!keys || !e.jsGet) {
        return result;
    }
    for (unsigned int i = 0; i < keys->length; ++i) {
        const char* name = keys->keys[i];
        if (name) {
            result.set(name, fromEngineAt(state, e.jsGet(state, object, name), depth + 1));
        }
    }
    return result;
}

Value undefinedValue() {
    return api().jsUndefined ? api().jsUndefined() : 0;
}

Value numberToEngine(double number) {
    const Api& e = api();
    const bool whole = std::trunc(number) == number && number >= INT_MIN && number <= INT_MAX;
    if (whole && e.jsInt) {
        return e.jsInt(static_cast<int>(number));
    }
    return e.jsDouble ? e.jsDouble(number) : undefinedValue();
}

}  // namespace

JsValue fromEngine(ExecState state, Value value) {
    return fromEngineAt(state, value, 0);
}

Value toEngine(ExecState state, const JsValue& value) {
    const Api& e = api();
    switch (value.type()) {
        case JsValue::Type::Undefined:
            break;
        case JsValue::Type::Null:
            return e.jsNull ? e.jsNull() : undefinedValue();
        case JsValue::Type::Boolean:
            return e.jsBoolean ? e.jsBoolean(value.toBoolean()) : undefinedValue();
        case JsValue::Type::Number:
            return numberToEngine(value.toNumber());
        case JsValue::Type::String:
            return e.jsString ? e.jsString(state, value.toUtf8().constData()) : undefinedValue();
        case JsValue::Type::Array: {
            if (!e.jsEmptyArray || !e.jsSetAt) {
                break;
            }
            const Value array = e.jsEmptyArray(state);
            for (int i = 0; i < value.length(); ++i) {
                e.jsSetAt(state, array, i, toEngine(state, value.at(i)));
            }
            return array;
        }
        case JsValue::Type::Object: {
            if (!e.jsEmptyObject || !e.jsSet) {
                break;
            }
            const Value object = e.jsEmptyObject(state);
            for (const auto& member : value.members()) {
                e.jsSet(state, object, member.first.constData(), toEngine(state, member.second));
            }
            return object;
        }
    }
    return undefinedValue();
}

}  // namespace webhost::wke
