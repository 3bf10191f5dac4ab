// Shared by the test pages: waits for the globals the window publishes when the page has
// loaded, records results next to the program and closes the window as a page would.
var folder = getCurrentModuleFileDirectory();

function whenReady(run) {
  if (typeof handle === "undefined") {
    setTimeout(function () { whenReady(run); }, 50);
    return;
  }
  run();
}

function record(name, value) {
  writeTextToFile(folder + "/" + name, JSON.stringify(value));
}

function closeSelf() {
  sendMessage(handle, 0x0010, 0, 0);  // WM_CLOSE
}

function waitFor(test, timeoutMs, then) {
  var until = Date.now() + timeoutMs;
  (function poll() {
    if (test() || Date.now() > until) { then(); return; }
    setTimeout(poll, 50);
  })();
}
