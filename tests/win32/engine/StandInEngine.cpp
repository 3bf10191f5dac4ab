// A stand-in for the embedded web engine's DLL: it exports the entry points the program looks
// up, keeps page values in a table of its own, and acts as a small page. Each call that tells
// something is written as one line to the file named by WKE_STANDIN_LOG:
//
//   initialize                          the engine was started
//   bind <name> <count>                 a native function was bound
//   view <width> <height>               a view was made
//   load <url>                          a view was asked to load an address
//   request <url> served <mime> <size>  the program answered a request itself
//   request <url> network               the program left a request to the network
//   navigation <url> allowed|refused    the program's answer to a navigation
//   global <name> <value>               the program set a page global
//   pagecall <name>(<args>)             the program called a page function
//   call <name>(<args>) -> <value>      the page called a bound function
//   page done                           the page's script has run
//
// The page's script runs once, on the first view, from the event loop after its first load:
// it asks for a few addresses, navigates to a dropped file, finishes loading, calls a few bound
// functions and then closes its window through the bound sendMessage (WM_CLOSE), so the
// program ends by itself.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "wke/WkeInterface.h"

using namespace webhost::wke;

struct webhost::wke::ExecStateTag {
    View view = nullptr;
    std::vector<Value> args;
};

struct webhost::wke::ViewTag {
    ExecStateTag state;
    NativeWindow parent = nullptr;
    std::wstring url;
    std::map<std::string, Value> globals;
    TitleChangedCallback titleChanged = nullptr;
    void* titleParam = nullptr;
    UrlChangedCallback urlChanged = nullptr;
    void* urlParam = nullptr;
    NavigationCallback navigation = nullptr;
    void* navigationParam = nullptr;
    LoadUrlBeginCallback loadUrlBegin = nullptr;
    void* loadUrlBeginParam = nullptr;
    LoadingFinishCallback loadingFinish = nullptr;
    void* loadingFinishParam = nullptr;
};

struct webhost::wke::StringTag {
    std::string utf8;
    std::wstring wide;
};

struct webhost::wke::NetJobTag {
    std::string mimeType;
    int size = -1;
    bool hooked = false;
};

namespace {

constexpr UINT kRunPageScript = WM_APP + 1;
constexpr const char* kChildUrl = "http://ui.corvanta.test/installmonitor.html";
// Escaped "../" segments up to the drive's root and on to a file every Windows has.
constexpr const char* kEscapingRequest =
    "http://ui.corvanta.test/..%2F..%2F..%2F..%2F..%2F..%2F..%2F..%2Fwindows%2Fwin.ini";
constexpr int kWmClose = 0x10;

struct PageValue {
    ValueType type = ValueType::Undefined;
    double number = 0;
    bool flag = false;
    std::string text;
    std::wstring wide;
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;
    std::vector<const char*> keyNames;
    Keys keys{};
};

struct Binding {
    NativeFunction function = nullptr;
    void* param = nullptr;
};

std::vector<PageValue>& values() {
    static std::vector<PageValue> all(1);  // handle 0 stays undefined
    return all;
}

std::map<std::string, Binding>& bindings() {
    static std::map<std::string, Binding> all;
    return all;
}

std::vector<View>& views() {
    static std::vector<View> all;
    return all;
}

HWND g_scriptWindow = nullptr;
bool g_scriptRun = false;

// --- the log

std::string utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], size,
                        nullptr, nullptr);
    return text;
}

std::wstring wide(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

void logLine(const std::string& line) {
    const wchar_t* path = _wgetenv(L"WKE_STANDIN_LOG");
    if (path == nullptr) {
        return;
    }
    if (FILE* file = _wfopen(path, L"ab")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
}

// --- page values

PageValue& valueOf(Value handle) {
    if (handle <= 0 || static_cast<std::size_t>(handle) >= values().size()) {
        return values()[0];
    }
    return values()[static_cast<std::size_t>(handle)];
}

Value store(PageValue value) {
    values().push_back(std::move(value));
    return static_cast<Value>(values().size() - 1);
}

Value makeNumber(double number) {
    PageValue value;
    value.type = ValueType::Number;
    value.number = number;
    return store(value);
}

Value makeString(const std::string& text) {
    PageValue value;
    value.type = ValueType::String;
    value.text = text;
    value.wide = wide(text);
    return store(value);
}

Value makeBoolean(bool flag) {
    PageValue value;
    value.type = ValueType::Boolean;
    value.flag = flag;
    return store(value);
}

Value makeOfType(ValueType type) {
    PageValue value;
    value.type = type;
    return store(value);
}

Value makeFunction(const std::string& name) {
    PageValue value;
    value.type = ValueType::Function;
    value.text = name;
    return store(value);
}

Value makeObject(const std::vector<std::pair<std::string, Value>>& members) {
    PageValue value;
    value.type = ValueType::Object;
    value.members = members;
    return store(value);
}

std::string numberText(double number) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", number);
    return text;
}

std::string describe(Value handle) {
    const PageValue& value = valueOf(handle);
    switch (value.type) {
        case ValueType::Number:
            return numberText(value.number);
        case ValueType::String:
            return "\"" + value.text + "\"";
        case ValueType::Boolean:
            return value.flag ? "true" : "false";
        case ValueType::Null:
            return "null";
        case ValueType::Function:
            return "function " + value.text;
        case ValueType::Array: {
            std::string text = "[";
            for (std::size_t i = 0; i < value.items.size(); ++i) {
                text += (i ? "," : "") + describe(value.items[i]);
            }
            return text + "]";
        }
        case ValueType::Object: {
            std::string text = "{";
            for (std::size_t i = 0; i < value.members.size(); ++i) {
                text += (i ? "," : "") + value.members[i].first + ":" +
                        describe(value.members[i].second);
            }
            return text + "}";
        }
        case ValueType::Undefined:
            break;
    }
    return "undefined";
}

std::string describeAll(const std::vector<Value>& args) {
    std::string text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        text += (i ? "," : "") + describe(args[i]);
    }
    return text;
}

std::string textOf(Value handle) {
    const PageValue& value = valueOf(handle);
    switch (value.type) {
        case ValueType::String:
        case ValueType::Function:
            return value.text;
        case ValueType::Number:
            return numberText(value.number);
        case ValueType::Boolean:
            return value.flag ? "true" : "false";
        case ValueType::Null:
            return "null";
        case ValueType::Object:
            return "[object Object]";
        case ValueType::Array:
        case ValueType::Undefined:
            break;
    }
    return value.type == ValueType::Undefined ? "undefined" : "";
}

double numberOf(Value handle) {
    const PageValue& value = valueOf(handle);
    switch (value.type) {
        case ValueType::Number:
            return value.number;
        case ValueType::Boolean:
            return value.flag ? 1 : 0;
        case ValueType::String:
            return std::strtod(value.text.c_str(), nullptr);
        default:
            return 0;
    }
}

bool truthOf(Value handle) {
    const PageValue& value = valueOf(handle);
    switch (value.type) {
        case ValueType::Number:
            return value.number != 0;
        case ValueType::Boolean:
            return value.flag;
        case ValueType::String:
            return !value.text.empty();
        case ValueType::Object:
        case ValueType::Array:
        case ValueType::Function:
            return true;
        default:
            return false;
    }
}

// --- the page

// Calls a bound function as the page would and logs what it answered.
Value callBound(View view, const std::string& name, const std::vector<Value>& args) {
    const auto found = bindings().find(name);
    if (found == bindings().end()) {
        logLine("call " + name + "(" + describeAll(args) + ") unbound");
        return 0;
    }
    view->state.args = args;
    const Value result = found->second.function(&view->state, found->second.param);
    view->state.args.clear();
    logLine(std::string(view == views().front() ? "call " : "call in second view ") + name + "(" +
            describeAll(args) + ") -> " + describe(result));
    return result;
}

void request(View view, const std::string& url) {
    if (!view->loadUrlBegin) {
        logLine("request " + url + " unasked");
        return;
    }
    NetJobTag job;
    const bool handled = view->loadUrlBegin(view, view->loadUrlBeginParam, url.c_str(), &job);
    if (handled && job.size >= 0) {
        logLine("request " + url + " served " + job.mimeType + " " + std::to_string(job.size));
    } else {
        logLine("request " + url + " network");
    }
}

void navigate(View view, const std::string& url) {
    if (!view->navigation) {
        return;
    }
    StringTag text{url, wide(url)};
    const bool allowed = view->navigation(view, view->navigationParam, 0, &text);
    logLine("navigation " + url + (allowed ? " allowed" : " refused"));
}

void runPageScript(View view) {
    const std::string url = utf8(view->url);
    StringTag address{url, view->url};
    StringTag title{"Stand-in page", L"Stand-in page"};
    if (view->urlChanged)
        view->urlChanged(view, view->urlParam, &address);
    if (view->titleChanged)
        view->titleChanged(view, view->titleParam, &title);
    request(view, url);
    request(view, "http://127.0.0.1:12222/test");
    request(view, "http://pages.invalid/?copy=" + url);
    request(view, kEscapingRequest);
    navigate(view, "file:///C:/dropped%20files/a%25b.txt");
    navigate(view, url);
    if (view->loadingFinish) {
        StringTag none;
        view->loadingFinish(view, view->loadingFinishParam, &address, 0, &none);
    }
    const Value handle = view->globals.count("handle") ? view->globals["handle"] : 0;
    callBound(view, "baseSystemInfo", {makeNumber(1)});
    callBound(view, "getWindowRect", {handle});
    callBound(view, "isWindow", {handle});
    callBound(view, "pathFileExists", {makeString("C:\\windows")});
    callBound(view, "checkMMCExists", {makeNumber(7)});
    // A second window: its page has the framework's functions, not the main window's commands.
    callBound(view, "enumDisplayMonitors", {});
    const Value child = callBound(
        view, "createWindow2",
        {makeObject({{"hParent", handle},
                     {"createAsModal", makeBoolean(false)},
                     {"url", makeString(kChildUrl)}}),
         makeObject({{"left", makeNumber(0)},
                     {"top", makeNumber(0)},
                     {"right", makeNumber(320)},
                     {"bottom", makeNumber(240)}}),
         makeObject({{"left", makeNumber(0)},
                     {"top", makeNumber(0)},
                     {"right", makeNumber(320)},
                     {"bottom", makeNumber(30)}}),
         makeObject({{"borderless", makeBoolean(true)}, {"borderlessShadow", makeBoolean(true)}}),
         makeObject({{"centerWindow", makeBoolean(true)}, {"editHeight", makeNumber(30)}})});
    if (views().size() > 1) {
        View second = views()[1];
        callBound(second, "isWindow", {child});
        callBound(second, "checkMMCExists", {makeNumber(7)});
    }
    logLine("page done");
    callBound(view, "sendMessage", {handle, makeNumber(kWmClose), makeNumber(0), makeNumber(0)});
}

LRESULT CALLBACK scriptWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunPageScript) {
        runPageScript(reinterpret_cast<View>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The page's script runs from the event loop, as a real page's would after loading.
HWND scriptWindow() {
    if (!g_scriptWindow) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = scriptWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"WkeStandInPage";
        RegisterClassW(&windowClass);
        g_scriptWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                         HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    }
    return g_scriptWindow;
}

void loaded(View view, const std::wstring& url) {
    view->url = url;
    logLine("load " + utf8(url));
    if (!g_scriptRun && view == views().front()) {
        g_scriptRun = true;
        PostMessageW(scriptWindow(), kRunPageScript, 0, reinterpret_cast<LPARAM>(view));
    }
}

}  // namespace

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

// --- engine and view

STANDIN_EXPORT void wkeInitializeEx(const Settings*) {
    logLine("initialize");
}

STANDIN_EXPORT void wkeEnableHighDPISupport() {}

STANDIN_EXPORT void wkeConfigure(const Settings*) {}

STANDIN_EXPORT View wkeCreateWebWindow(int, NativeWindow parent, int, int, int width, int height) {
    View view = new ViewTag;
    view->state.view = view;
    view->parent = parent;
    views().push_back(view);
    logLine("view " + std::to_string(width) + " " + std::to_string(height));
    return view;
}

STANDIN_EXPORT NativeWindow wkeGetWindowHandle(View) {
    return nullptr;
}

STANDIN_EXPORT void wkeShowWindow(View, bool) {}

STANDIN_EXPORT void wkeLoadURL(View view, const char* url) {
    loaded(view, wide(url ? url : ""));
}

STANDIN_EXPORT void wkeLoadURLW(View view, const wchar_t* url) {
    loaded(view, url ? url : L"");
}

STANDIN_EXPORT void wkeSetZoomFactor(View, float) {}
STANDIN_EXPORT void wkeSetTransparent(View, bool) {}
STANDIN_EXPORT void wkeSetLocalStorageFullPath(View, const wchar_t*) {}
STANDIN_EXPORT void wkeSetCookieJarFullPath(View, const wchar_t*) {}
#ifndef STANDIN_WITHOUT_SOME
STANDIN_EXPORT void wkeSetDebugConfig(View, const char*, const char*) {}
#endif

STANDIN_EXPORT Value wkeRunJSW(View, const wchar_t*) {
    return 0;
}

STANDIN_EXPORT bool wkeGoBack(View) {
    return false;
}
STANDIN_EXPORT bool wkeGoForward(View) {
    return false;
}
STANDIN_EXPORT bool wkeCanGoBack(View) {
    return false;
}
STANDIN_EXPORT bool wkeCanGoForward(View) {
    return false;
}
STANDIN_EXPORT const wchar_t* wkeGetCookieW(View) {
    return L"";
}

STANDIN_EXPORT void wkeDestroyWebView(View view) {
    for (auto it = views().begin(); it != views().end(); ++it) {
        if (*it == view) {
            views().erase(it);
            break;
        }
    }
    delete view;
}

STANDIN_EXPORT const char* wkeGetString(String string) {
    return string ? string->utf8.c_str() : "";
}

STANDIN_EXPORT const wchar_t* wkeGetStringW(String string) {
    return string ? string->wide.c_str() : L"";
}

STANDIN_EXPORT const char* wkeUtilDecodeURLEscape(const char* url) {
    static std::string decoded;
    decoded.clear();
    for (const char* c = url; c && *c; ++c) {
        if (*c == '%' && c[1] && c[2]) {
            decoded += static_cast<char>(std::strtol(std::string(c + 1, 2).c_str(), nullptr, 16));
            c += 2;
        } else {
            decoded += *c;
        }
    }
    return decoded.c_str();
}

// --- view events

STANDIN_EXPORT void wkeOnTitleChanged(View view, TitleChangedCallback callback, void* param) {
    view->titleChanged = callback;
    view->titleParam = param;
}

STANDIN_EXPORT void wkeOnURLChanged(View view, UrlChangedCallback callback, void* param) {
    view->urlChanged = callback;
    view->urlParam = param;
}

STANDIN_EXPORT void wkeOnNavigation(View view, NavigationCallback callback, void* param) {
    view->navigation = callback;
    view->navigationParam = param;
}

STANDIN_EXPORT void wkeOnLoadUrlBegin(View view, LoadUrlBeginCallback callback, void* param) {
    view->loadUrlBegin = callback;
    view->loadUrlBeginParam = param;
}

STANDIN_EXPORT void wkeNetSetMIMEType(NetJob job, const char* type) {
    job->mimeType = type ? type : "";
}

STANDIN_EXPORT void wkeNetSetData(NetJob job, void*, int length) {
    job->size = length;
}

STANDIN_EXPORT void wkeNetHookRequest(NetJob job) {
    job->hooked = true;
}

STANDIN_EXPORT void wkeOnLoadingFinish(View view, LoadingFinishCallback callback, void* param) {
    view->loadingFinish = callback;
    view->loadingFinishParam = param;
}

#ifndef STANDIN_WITHOUT_SOME
STANDIN_EXPORT void wkeOnDownload2(View, Download2Callback, void*) {}
#endif
STANDIN_EXPORT void wkeOnWindowClosing(View, WindowClosingCallback, void*) {}
STANDIN_EXPORT void wkeOnWindowDestroy(View, WindowDestroyCallback, void*) {}

// --- script values: binding and arguments

STANDIN_EXPORT ExecState wkeGlobalExec(View view) {
    return &view->state;
}

STANDIN_EXPORT View jsGetWebView(ExecState state) {
    return state->view;
}

STANDIN_EXPORT void wkeJsBindFunction(const char* name, NativeFunction function, void* param,
                                      unsigned int argumentCount) {
    bindings()[name] = Binding{function, param};
    logLine(std::string("bind ") + name + " " + std::to_string(argumentCount));
}

STANDIN_EXPORT int jsArgCount(ExecState state) {
    return static_cast<int>(state->args.size());
}

STANDIN_EXPORT Value jsArg(ExecState state, int index) {
    return index >= 0 && index < jsArgCount(state) ? state->args[static_cast<std::size_t>(index)]
                                                   : 0;
}

STANDIN_EXPORT ValueType jsTypeOf(Value value) {
    return valueOf(value).type;
}

STANDIN_EXPORT ValueType jsArgType(ExecState state, int index) {
    return jsTypeOf(jsArg(state, index));
}

STANDIN_EXPORT int jsToInt(ExecState, Value value) {
    return static_cast<int>(numberOf(value));
}

STANDIN_EXPORT double jsToDouble(ExecState, Value value) {
    return numberOf(value);
}

STANDIN_EXPORT bool jsToBoolean(ExecState, Value value) {
    return truthOf(value);
}

STANDIN_EXPORT const char* jsToTempString(ExecState, Value value) {
    static std::string text;
    text = textOf(value);
    return text.c_str();
}

STANDIN_EXPORT const wchar_t* jsToTempStringW(ExecState, Value value) {
    static std::wstring text;
    text = wide(textOf(value));
    return text.c_str();
}

STANDIN_EXPORT const char* jsToString(ExecState state, Value value) {
    return jsToTempString(state, value);
}

STANDIN_EXPORT const wchar_t* jsToStringW(ExecState state, Value value) {
    return jsToTempStringW(state, value);
}

STANDIN_EXPORT bool jsIsArray(Value value) {
    return valueOf(value).type == ValueType::Array;
}

STANDIN_EXPORT bool jsIsBoolean(Value value) {
    return valueOf(value).type == ValueType::Boolean;
}

STANDIN_EXPORT int jsGetLength(ExecState, Value value) {
    return static_cast<int>(valueOf(value).items.size());
}

STANDIN_EXPORT Value jsGetAt(ExecState state, Value array, int index) {
    const PageValue& value = valueOf(array);
    return index >= 0 && index < jsGetLength(state, array)
               ? value.items[static_cast<std::size_t>(index)]
               : 0;
}

STANDIN_EXPORT Value jsGet(ExecState, Value object, const char* name) {
    for (const auto& member : valueOf(object).members) {
        if (member.first == name) {
            return member.second;
        }
    }
    return 0;
}

STANDIN_EXPORT Keys* jsGetKeys(ExecState, Value object) {
    PageValue& value = valueOf(object);
    value.keyNames.clear();
    for (const auto& member : value.members) {
        value.keyNames.push_back(member.first.c_str());
    }
    value.keys.length = static_cast<unsigned int>(value.keyNames.size());
    value.keys.keys = value.keyNames.data();
    return &value.keys;
}

STANDIN_EXPORT ScriptData* jsGetData(ExecState, Value) {
    return nullptr;
}

// --- script values: results

STANDIN_EXPORT Value jsInt(int number) {
    return makeNumber(number);
}

STANDIN_EXPORT Value jsDouble(double number) {
    return makeNumber(number);
}

STANDIN_EXPORT Value jsBoolean(bool flag) {
    return makeBoolean(flag);
}

STANDIN_EXPORT Value jsTrue() {
    return makeBoolean(true);
}

STANDIN_EXPORT Value jsFalse() {
    return makeBoolean(false);
}

STANDIN_EXPORT Value jsNull() {
    return makeOfType(ValueType::Null);
}

STANDIN_EXPORT Value jsUndefined() {
    return 0;
}

STANDIN_EXPORT Value jsString(ExecState, const char* text) {
    return makeString(text ? text : "");
}

STANDIN_EXPORT Value jsStringW(ExecState, const wchar_t* text) {
    return makeString(utf8(text ? text : L""));
}

STANDIN_EXPORT Value jsEmptyArray(ExecState) {
    return makeOfType(ValueType::Array);
}

STANDIN_EXPORT Value jsEmptyObject(ExecState) {
    return makeOfType(ValueType::Object);
}

STANDIN_EXPORT void jsSet(ExecState, Value object, const char* name, Value value) {
    auto& members = valueOf(object).members;
    for (auto& member : members) {
        if (member.first == name) {
            member.second = value;
            return;
        }
    }
    members.emplace_back(name, value);
}

STANDIN_EXPORT void jsSetAt(ExecState, Value array, int index, Value value) {
    auto& items = valueOf(array).items;
    if (index < 0) {
        return;
    }
    if (static_cast<std::size_t>(index) >= items.size()) {
        items.resize(static_cast<std::size_t>(index) + 1, 0);
    }
    items[static_cast<std::size_t>(index)] = value;
}

STANDIN_EXPORT Value jsObject(ExecState, ScriptData*) {
    return makeOfType(ValueType::Object);
}

STANDIN_EXPORT Value jsFunction(ExecState, ScriptData*) {
    return makeFunction("native");
}

// --- page calls: the page defines every function it is asked for

STANDIN_EXPORT Value jsGetGlobal(ExecState state, const char* name) {
    const auto found = state->view->globals.find(name);
    return found != state->view->globals.end() ? found->second : makeFunction(name);
}

STANDIN_EXPORT void jsSetGlobal(ExecState state, const char* name, Value value) {
    state->view->globals[name] = value;
    logLine(std::string("global ") + name + " " + describe(value));
}

STANDIN_EXPORT Value jsCallGlobal(ExecState, Value function, Value* arguments, int count) {
    const std::vector<Value> args(arguments, arguments + (count > 0 ? count : 0));
    logLine("pagecall " + valueOf(function).text + "(" + describeAll(args) + ")");
    return 0;
}

STANDIN_EXPORT Value jsGlobalObject(ExecState) {
    return makeOfType(ValueType::Object);
}

#ifndef STANDIN_WITHOUT_SOME
// Every entry point of the list is exported here with the list's own type.
#define STANDIN_SAME_TYPE(name, result, parameters)                      \
    static_assert(std::is_same_v<decltype(&name), result(*) parameters>, \
                  #name " differs from the list");
CORVANTA_WKE_ENTRY_POINTS(STANDIN_SAME_TYPE)
#undef STANDIN_SAME_TYPE
#endif
