#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "../JsValue.h"

namespace webhost::bridge {

// A page call of a bound native function arrives as prompt(kPromptMarker + name, wire args).
// The leading control character keeps it apart from any prompt a page could show by itself.
constexpr const char* kPromptMarker = "\x01corvanta-call\x01";

// The page's own links to exec: and file: addresses are reported through this bound name with
// the address exactly as the page wrote it (the engine's navigation request only carries it as
// a parsed URL, which cannot hold every command line), and followed only when it answers true.
constexpr const char* kLinkNavigationName = "__corvantaNavigate";

// The script injected at document creation: defines every bound name as a page function that
// calls through prompt() and decodes the wire answer. Defining the same names again is harmless,
// so the script also serves to add names to a document that is already loaded.
QString bindingScript(const QList<QByteArray>& names);

// Calls the page's global function `name` with `args` and evaluates to the wire text of its
// result (undefined when there is no such function or it throws).
QString callGlobalScript(const QByteArray& name, const QList<JsValue>& args);

// Sets the page's global `name` to `value`.
QString setGlobalScript(const QByteArray& name, const JsValue& value);

}  // namespace webhost::bridge
