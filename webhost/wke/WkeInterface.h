#pragma once

// The C interface of the embedded web engine's DLL, as far as this program uses it: the types
// its entry points take and give, and the list of entry points with their signatures. The
// engine's functions use the C calling convention; its values are 64-bit handles.
//
// The list (CORVANTA_WKE_ENTRY_POINTS) is the one place entry points are named: the loader
// looks every one of them up by name, and a stand-in engine for tests exports the same list.

#include <cstddef>
#include <cstdint>

#define CORVANTA_WKE_CALL __cdecl

namespace webhost::wke {

struct ViewTag;
using View = ViewTag*;  // wkeWebView
struct ExecStateTag;
using ExecState = ExecStateTag*;  // jsExecState, the script state of a view
struct StringTag;
using String = StringTag*;  // wkeString, an engine string read with wkeGetString(W)
struct NetJobTag;
using NetJob = NetJobTag*;   // one request the engine is about to make
using NativeWindow = void*;  // HWND
using Value = std::int64_t;  // jsValue

// jsType
enum class ValueType : int {
    Number = 0,
    String = 1,
    Boolean = 2,
    Object = 3,
    Function = 4,
    Undefined = 5,
    Array = 6,
    Null = 7,
};

// wkeWindowType: a view drawn into a child window of the given parent.
constexpr int kWindowTypeControl = 2;

// wkeDownloadOpt: the engine does not download.
constexpr int kDownloadCancel = 0;

// wkeSettings, passed all zero (mask 0: nothing is changed).
struct Proxy {
    int type;
    char hostname[100];
    unsigned short port;
    char username[50];
    char password[50];
};
struct Settings {
    Proxy proxy;
    unsigned int mask;
    const char* extension;
};

// jsKeys: the names of an object's own members.
struct Keys {
    unsigned int length;
    const char** keys;
};

struct ScriptData;  // jsData: native objects and functions (not made here)

using NativeFunction = Value(CORVANTA_WKE_CALL*)(ExecState state, void* param);
using TitleChangedCallback = void(CORVANTA_WKE_CALL*)(View view, void* param, String title);
using UrlChangedCallback = void(CORVANTA_WKE_CALL*)(View view, void* param, String url);
using NavigationCallback = bool(CORVANTA_WKE_CALL*)(View view, void* param, int navigationType,
                                                    String url);
using LoadUrlBeginCallback = bool(CORVANTA_WKE_CALL*)(View view, void* param, const char* url,
                                                      NetJob job);
using LoadingFinishCallback = void(CORVANTA_WKE_CALL*)(View view, void* param, String url,
                                                       int result, String failedReason);
using Download2Callback = int(CORVANTA_WKE_CALL*)(View view, void* param,
                                                  std::size_t expectedContentLength,
                                                  const char* url, const char* mime,
                                                  const char* disposition, NetJob job,
                                                  void* dataBind);
using WindowClosingCallback = bool(CORVANTA_WKE_CALL*)(View view, void* param);
using WindowDestroyCallback = void(CORVANTA_WKE_CALL*)(View view, void* param);

}  // namespace webhost::wke

// X(name, result, parameters): every entry point of the engine this program looks up.
// clang-format off
#define CORVANTA_WKE_ENTRY_POINTS(X)                                                             \
    /* engine and view */                                                                        \
    X(wkeInitializeEx, void, (const webhost::wke::Settings* settings))                           \
    X(wkeEnableHighDPISupport, void, ())                                                         \
    X(wkeConfigure, void, (const webhost::wke::Settings* settings))                              \
    X(wkeCreateWebWindow, webhost::wke::View, (int type, webhost::wke::NativeWindow parent,      \
                                               int x, int y, int width, int height))             \
    X(wkeGetWindowHandle, webhost::wke::NativeWindow, (webhost::wke::View view))                 \
    X(wkeShowWindow, void, (webhost::wke::View view, bool show))                                 \
    X(wkeLoadURL, void, (webhost::wke::View view, const char* url))                              \
    X(wkeLoadURLW, void, (webhost::wke::View view, const wchar_t* url))                          \
    X(wkeSetZoomFactor, void, (webhost::wke::View view, float factor))                           \
    X(wkeSetTransparent, void, (webhost::wke::View view, bool transparent))                      \
    X(wkeSetLocalStorageFullPath, void, (webhost::wke::View view, const wchar_t* path))          \
    X(wkeSetCookieJarFullPath, void, (webhost::wke::View view, const wchar_t* path))             \
    X(wkeSetDebugConfig, void, (webhost::wke::View view, const char* name, const char* value))   \
    X(wkeRunJSW, webhost::wke::Value, (webhost::wke::View view, const wchar_t* script))          \
    X(wkeGoBack, bool, (webhost::wke::View view))                                                \
    X(wkeGoForward, bool, (webhost::wke::View view))                                             \
    X(wkeCanGoBack, bool, (webhost::wke::View view))                                             \
    X(wkeCanGoForward, bool, (webhost::wke::View view))                                          \
    X(wkeGetCookieW, const wchar_t*, (webhost::wke::View view))                                  \
    X(wkeDestroyWebView, void, (webhost::wke::View view))                                        \
    X(wkeGetString, const char*, (webhost::wke::String string))                                  \
    X(wkeGetStringW, const wchar_t*, (webhost::wke::String string))                              \
    X(wkeUtilDecodeURLEscape, const char*, (const char* url))                                    \
    /* view events */                                                                            \
    X(wkeOnTitleChanged, void, (webhost::wke::View view,                                         \
                                webhost::wke::TitleChangedCallback callback, void* param))       \
    X(wkeOnURLChanged, void, (webhost::wke::View view,                                           \
                              webhost::wke::UrlChangedCallback callback, void* param))           \
    X(wkeOnNavigation, void, (webhost::wke::View view,                                           \
                              webhost::wke::NavigationCallback callback, void* param))           \
    X(wkeOnLoadUrlBegin, void, (webhost::wke::View view,                                         \
                                webhost::wke::LoadUrlBeginCallback callback, void* param))       \
    X(wkeNetSetMIMEType, void, (webhost::wke::NetJob job, const char* type))                     \
    X(wkeNetSetData, void, (webhost::wke::NetJob job, void* data, int length))                   \
    X(wkeNetHookRequest, void, (webhost::wke::NetJob job))                                       \
    X(wkeOnLoadingFinish, void, (webhost::wke::View view,                                        \
                                 webhost::wke::LoadingFinishCallback callback, void* param))     \
    X(wkeOnDownload2, void, (webhost::wke::View view,                                            \
                             webhost::wke::Download2Callback callback, void* param))             \
    X(wkeOnWindowClosing, void, (webhost::wke::View view,                                        \
                                 webhost::wke::WindowClosingCallback callback, void* param))     \
    X(wkeOnWindowDestroy, void, (webhost::wke::View view,                                        \
                                 webhost::wke::WindowDestroyCallback callback, void* param))     \
    /* script values: binding and arguments */                                                   \
    X(wkeGlobalExec, webhost::wke::ExecState, (webhost::wke::View view))                         \
    X(jsGetWebView, webhost::wke::View, (webhost::wke::ExecState state))                         \
    X(wkeJsBindFunction, void, (const char* name, webhost::wke::NativeFunction function,         \
                                void* param, unsigned int argumentCount))                        \
    X(jsArgCount, int, (webhost::wke::ExecState state))                                          \
    X(jsArgType, webhost::wke::ValueType, (webhost::wke::ExecState state, int index))            \
    X(jsArg, webhost::wke::Value, (webhost::wke::ExecState state, int index))                    \
    X(jsTypeOf, webhost::wke::ValueType, (webhost::wke::Value value))                            \
    X(jsToInt, int, (webhost::wke::ExecState state, webhost::wke::Value value))                  \
    X(jsToDouble, double, (webhost::wke::ExecState state, webhost::wke::Value value))            \
    X(jsToBoolean, bool, (webhost::wke::ExecState state, webhost::wke::Value value))             \
    X(jsToTempString, const char*, (webhost::wke::ExecState state, webhost::wke::Value value))   \
    X(jsToTempStringW, const wchar_t*, (webhost::wke::ExecState state,                           \
                                        webhost::wke::Value value))                              \
    X(jsToString, const char*, (webhost::wke::ExecState state, webhost::wke::Value value))       \
    X(jsToStringW, const wchar_t*, (webhost::wke::ExecState state, webhost::wke::Value value))   \
    X(jsIsArray, bool, (webhost::wke::Value value))                                              \
    X(jsIsBoolean, bool, (webhost::wke::Value value))                                            \
    X(jsGetLength, int, (webhost::wke::ExecState state, webhost::wke::Value value))              \
    X(jsGetAt, webhost::wke::Value, (webhost::wke::ExecState state, webhost::wke::Value array,   \
                                     int index))                                                 \
    X(jsGet, webhost::wke::Value, (webhost::wke::ExecState state, webhost::wke::Value object,    \
                                   const char* name))                                            \
    X(jsGetKeys, webhost::wke::Keys*, (webhost::wke::ExecState state,                            \
                                       webhost::wke::Value object))                              \
    X(jsGetData, webhost::wke::ScriptData*, (webhost::wke::ExecState state,                      \
                                             webhost::wke::Value object))                        \
    /* script values: results */                                                                 \
    X(jsInt, webhost::wke::Value, (int number))                                                  \
    X(jsDouble, webhost::wke::Value, (double number))                                            \
    X(jsBoolean, webhost::wke::Value, (bool flag))                                               \
    X(jsTrue, webhost::wke::Value, ())                                                           \
    X(jsFalse, webhost::wke::Value, ())                                                          \
    X(jsNull, webhost::wke::Value, ())                                                           \
    X(jsUndefined, webhost::wke::Value, ())                                                      \
    X(jsString, webhost::wke::Value, (webhost::wke::ExecState state, const char* text))          \
    X(jsStringW, webhost::wke::Value, (webhost::wke::ExecState state, const wchar_t* text))      \
    X(jsEmptyArray, webhost::wke::Value, (webhost::wke::ExecState state))                        \
    X(jsEmptyObject, webhost::wke::Value, (webhost::wke::ExecState state))                       \
    X(jsSet, void, (webhost::wke::ExecState state, webhost::wke::Value object, const char* name, \
                    webhost::wke::Value value))                                                  \
    X(jsSetAt, void, (webhost::wke::ExecState state, webhost::wke::Value array, int index,       \
                      webhost::wke::Value value))                                                \
    X(jsObject, webhost::wke::Value, (webhost::wke::ExecState state,                             \
                                      webhost::wke::ScriptData* data))                           \
    X(jsFunction, webhost::wke::Value, (webhost::wke::ExecState state,                           \
                                        webhost::wke::ScriptData* data))                         \
    /* page calls */                                                                             \
    X(jsGetGlobal, webhost::wke::Value, (webhost::wke::ExecState state, const char* name))       \
    X(jsSetGlobal, void, (webhost::wke::ExecState state, const char* name,                       \
                          webhost::wke::Value value))                                            \
    X(jsCallGlobal, webhost::wke::Value, (webhost::wke::ExecState state,                         \
                                          webhost::wke::Value function,                          \
                                          webhost::wke::Value* arguments, int count))            \
    X(jsGlobalObject, webhost::wke::Value, (webhost::wke::ExecState state))
// clang-format on
