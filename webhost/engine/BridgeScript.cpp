#include "BridgeScript.h"

#include "WireFormat.h"

namespace webhost::bridge {

namespace {

// Encoder and decoder of the wire text inside the page. Functions and symbols cross as
// undefined; a marker object decodes back to undefined wherever it sits. Text without a marker
// and argument lists of plain values skip the per-member callbacks: they are most calls.
constexpr const char* kCodecScript =
    "var K='__corvanta_undefined';"
    "var plain=function(x){var t=typeof x;return "
    "t==='number'||t==='string'||t==='boolean'||x===null;};"
    "var enc=function(v){try{if(Array.isArray(v)&&v.every(plain))return JSON.stringify(v);"
    "return JSON.stringify(v,function(k,x){"
    "return (x===undefined||typeof x==='function'||typeof x==='symbol')?{__corvanta_undefined:1}:x;"
    "});}catch(e){return '{\"__corvanta_undefined\":1}';}};"
    "var dec=function(t){if(typeof t!=='string')return undefined;try{"
    "if(t.indexOf(K)<0)return JSON.parse(t);return JSON.parse(t,"
    "function(k,x){return (x!==null&&typeof x==='object'&&!Array.isArray(x)&&x[K]===1&&"
    "Object.keys(x).length===1)?undefined:x;});}catch(e){return undefined;}};";

QString jsStringLiteral(const QByteArray& utf8) {
    return QString::fromUtf8(wire::write(JsValue::string(utf8)));
}

QByteArray argumentsWire(const QList<JsValue>& args) {
    return JsValue::arrayOf(args).toWire();
}

}  // namespace

QString bindingScript(const QList<QByteArray>& names) {
    QString nameList;
    for (const QByteArray& name : names) {
        nameList += (nameList.isEmpty() ? "" : ",") + jsStringLiteral(name);
    }
    // prompt is captured when the document is created, before any page script could replace it.
    return QStringLiteral(
               "(function(){var w=window;if(!w.__corvantaBridge){%1"
               "var P=w.prompt.bind(w),M=%2;"
               "Object.defineProperty(w,'__corvantaBridge',{value:{call:function(n,a){"
               "return dec(P(M+n,enc(Array.prototype.slice.call(a))));}}});"
               "w.addEventListener('click',function(e){if(e.defaultPrevented)return;"
               "var a=e.target&&e.target.closest?e.target.closest('a[href]'):null;"
               "if(!a||!/^(exec|file):/i.test(a.href))return;e.preventDefault();"
               "if(w.__corvantaBridge.call(%4,[a.href]))w.location.href=a.href;},false);}"
               "var b=w.__corvantaBridge;[%3].forEach(function(n){"
               "w[n]=function(){return b.call(n,arguments);};});})();")
        .arg(QString::fromLatin1(kCodecScript), jsStringLiteral(kPromptMarker), nameList,
             jsStringLiteral(kLinkNavigationName));
}

QString callGlobalScript(const QByteArray& name, const QList<JsValue>& args) {
    return QStringLiteral(
               "(function(){%1var f=window[%2];if(typeof f!=='function')return enc(undefined);"
               "try{return enc(f.apply(window,dec(%3)));}catch(e){"
               "console.error('page function '+%2+' failed: '+e);return enc(undefined);}})()")
        .arg(QString::fromLatin1(kCodecScript), jsStringLiteral(name),
             jsStringLiteral(argumentsWire(args)));
}

QString setGlobalScript(const QByteArray& name, const JsValue& value) {
    return QStringLiteral("(function(){%1window[%2]=dec(%3);})();")
        .arg(QString::fromLatin1(kCodecScript), jsStringLiteral(name),
             jsStringLiteral(value.toWire()));
}

}  // namespace webhost::bridge
