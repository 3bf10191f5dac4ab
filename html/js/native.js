// The one way the page calls the program. Every native command is looked up when it is
// called: an older program may not have it, and a command may throw. Callers get
// { ok, missing, value, error } and never an exception.
(function () {
  'use strict';
  var t = window.Texts.t;

  function has(name) {
    return typeof window[name] === 'function';
  }

  function call(name) {
    var args = Array.prototype.slice.call(arguments, 1);
    if (!has(name)) return { ok: false, missing: true, name: name };
    try {
      return { ok: true, missing: false, name: name, value: window[name].apply(window, args) };
    } catch (e) {
      return { ok: false, missing: false, name: name, error: String(e && e.message || e) };
    }
  }

  // The main window's native handle, published by the program after the page has loaded.
  function windowHandle() {
    return typeof window.handle === 'number' ? window.handle : 0;
  }

  // A Win32 error code in words: the page's own words for the usual ones, else the system's.
  function errorText(code) {
    code = Number(code) >>> 0;
    var own = t('err' + code);
    if (own !== 'err' + code) return own;
    var system = call('formatMessage', code);
    var hex = '0x' + ('00000000' + code.toString(16)).slice(-8);
    if (system.ok && typeof system.value === 'string' && system.value.trim()) {
      return system.value.trim() + ' (' + hex + ')';
    }
    return t('errorCode', hex);
  }

  // A plain-language reason why a call gave no answer.
  function failureText(label, result) {
    if (result.missing) return t('notAvailable', label, result.name);
    return t('commandFailed', label, result.error || '');
  }

  window.Native = {
    has: has,
    call: call,
    windowHandle: windowHandle,
    errorText: errorText,
    failureText: failureText
  };
})();
