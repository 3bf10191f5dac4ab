// This PC: the hardware and system summary, the driver download folder and installing a
// downloaded driver package.
(function () {
  'use strict';
  var t = window.Texts.t;
  var Native = window.Native;
  var Ui = window.Ui;
  var App = window.App;
  var h = Ui.h;

  // The summary's keys in the order shown.
  var FIELDS = [['host', 'pcHost'], ['system', 'pcSystem'], ['bit', 'pcBit'], ['cpu', 'pcCpu'],
    ['baseboard', 'pcBaseboard'], ['videoController', 'pcVideo'], ['physicalMemory', 'pcMemory'],
    ['diskDrive', 'pcDisk'], ['monitor', 'pcMonitor'], ['audioCard', 'pcAudio'],
    ['networkAdapter', 'pcNetwork']];
  var PACKAGE_PATTERN = /\.(exe|zip|cab|inf|msi|7z|rar)$/i;
  var INSTALL_FILE_MISSING = 3, INSTALL_SHOWN = 1;

  var state = { info: null, reading: false, folder: null, packages: null, dropped: null };
  var parts = {};
  var screen = { state: state };

  screen.build = function (node) {
    parts = {};
    var summary = Ui.section(t('pcTitle'), t('pcIntro'));
    summary.appendChild(h('div', { class: 'toolbar' },
      Ui.button(t('pcRead'), readInfo, { id: 'pc-read' })));
    parts.info = h('div', { id: 'pc-info' });
    summary.appendChild(parts.info);
    node.appendChild(summary);

    var folder = Ui.section(t('downloadsTitle'), t('downloadsIntro'));
    parts.folder = h('p', { id: 'download-folder', class: 'path' });
    folder.appendChild(parts.folder);
    folder.appendChild(h('div', { class: 'buttons' },
      Ui.button(t('downloadsOpen'), openFolder, { id: 'folder-open' }),
      Ui.button(t('downloadsChange'), changeFolder, { id: 'folder-change' })));
    parts.message = Ui.messageLine();
    parts.message.id = 'pc-message';
    folder.appendChild(parts.message);
    folder.appendChild(h('h3', null, t('packagesTitle')));
    parts.packages = h('div', { id: 'packages', class: 'list' });
    folder.appendChild(parts.packages);
    folder.appendChild(h('div', { class: 'buttons' },
      Ui.button(t('packagesChoose'), choosePackage, { id: 'package-choose', class: 'primary' })));
    node.appendChild(folder);
    renderInfo();
    renderFolder();
  };

  screen.start = function () {
    readInfo();
    readFolder();
  };

  screen.shown = function () {
    if (state.folder !== null) listPackages();
    renderFolder();
  };

  // ---- summary

  function readInfo() {
    var r = Native.call('startGetPcinfo');
    if (!r.ok) {
      state.reading = false;
      state.failure = Native.failureText(t('pcTitle'), r);
    } else {
      state.reading = true;
      state.failure = null;
    }
    renderInfo();
  }

  screen.onPcInfo = function (json) {
    state.info = JSON.parse(json);
    state.reading = false;
    renderInfo();
  };

  screen.onPrinterCount = function (count) {
    App.printerCount = count;
    renderInfo();
  };

  function renderInfo() {
    if (!parts.info) return;
    var node = Ui.clear(parts.info);
    if (state.failure && !state.info) {
      node.appendChild(h('p', { class: 'message error' }, state.failure));
    } else if (!state.info) {
      node.appendChild(h('p', { class: 'muted' }, t('pcReading')));
    }
    var rows = [];
    if (state.info) {
      FIELDS.forEach(function (f) {
        if (!(f[0] in state.info)) return;
        var value = state.info[f[0]];
        if (f[0] === 'bit') value = t('pcBitValue', value);
        rows.push([t(f[1]), String(value).trim() || t('unknown')]);
      });
    }
    var count = App.printerCount !== null ? App.printerCount : (App.printersLoaded ? App.printers.length : null);
    if (count !== null) rows.push([t('pcPrinters'), String(count)]);
    if (rows.length) {
      node.appendChild(h('table', { class: 'facts' }, h('tbody', null, rows.map(function (r) {
        return h('tr', null, h('th', { scope: 'row' }, r[0]), h('td', null, r[1]));
      }))));
    }
  }

  // ---- download folder

  function readFolder() {
    var r = Native.call('downDir');
    if (r.ok && typeof r.value === 'string') {
      state.folder = r.value;
      listPackages();
    } else {
      state.folderFailure = Native.failureText(t('downloadsTitle'), r.ok ? { missing: false, error: '' } : r);
    }
    renderFolder();
  }

  function listPackages() {
    var r = Native.call('listDir', state.folder, '*');
    state.packages = r.ok && Array.isArray(r.value) ?
      r.value.filter(function (n) { return PACKAGE_PATTERN.test(n); }) : null;
  }

  function joinPath(folder, name) {
    return folder.replace(/[\\/]+$/, '') + '/' + name;
  }

  function renderFolder() {
    if (!parts.folder) return;
    parts.folder.textContent = state.folder !== null ? state.folder : (state.folderFailure || '');
    var node = Ui.clear(parts.packages);
    var files = (state.packages || []).map(function (n) { return joinPath(state.folder, n); });
    if (state.dropped && files.indexOf(state.dropped) < 0) files.unshift(state.dropped);
    if (!files.length) {
      node.appendChild(h('p', { class: 'muted' }, t('packagesNone')));
      return;
    }
    files.forEach(function (path) {
      var name = path.split(/[\\/]/).pop();
      node.appendChild(h('article', { class: 'item row', 'data-package': name },
        h('span', { class: 'row-text' }, h('strong', null, name), h('span', { class: 'muted' }, path)),
        Ui.button(t('install'), function () { install(path); }, { 'data-action': 'install' })));
    });
  }

  function openFolder() {
    var r = Native.call('exec', state.folder || '', 0);
    if (!r.ok) Ui.message(parts.message, 'error', Native.failureText(t('downloadsOpen'), r));
    else if (r.value === false) Ui.message(parts.message, 'error', t('downloadsOpenFailed'));
    else Ui.message(parts.message, 'info', '');
  }

  function changeFolder() {
    var chosen = Native.call('selectDir', Native.windowHandle());
    if (!chosen.ok) {
      Ui.message(parts.message, 'error', Native.failureText(t('downloadsChange'), chosen));
      return;
    }
    if (!chosen.value) return;  // the user cancelled
    var folder = String(chosen.value).replace(/\\/g, '/');
    var r = Native.call('downDir', folder);
    if (!r.ok) {
      Ui.message(parts.message, 'error', Native.failureText(t('downloadsChange'), r));
      return;
    }
    state.folder = folder;
    listPackages();
    Ui.message(parts.message, 'ok', t('downloadsChanged', folder));
    renderFolder();
  }

  function choosePackage() {
    var r = Native.call('selectMultiFiles', t('packagesChooseTitle'), state.folder || '',
      t('packagesFilter'), 0);
    if (!r.ok) {
      Ui.message(parts.message, 'error', Native.failureText(t('packagesChoose'), r));
      return;
    }
    var first = String(r.value || '').split('|').filter(Boolean)[0];
    if (first) install(first);
  }

  function install(path) {
    var name = path.split(/[\\/]/).pop();
    var r = Native.call('installDriverPackage', name, path);
    if (!r.ok) {
      Ui.message(parts.message, 'error', Native.failureText(t('install'), r));
    } else if (r.value === INSTALL_FILE_MISSING) {
      Ui.message(parts.message, 'error', t('installMissing', path));
    } else if (r.value === INSTALL_SHOWN) {
      Ui.message(parts.message, 'info', t('installShown'));
    } else if (/\.exe$/.test(name)) {
      Ui.message(parts.message, 'ok', t('installStarted'));
    } else {
      Ui.message(parts.message, 'error', t('installShowFailed', name));
    }
  }
  screen.install = install;

  // A file dropped on the window becomes a package to install.
  screen.onFileDropped = function (path) {
    state.dropped = String(path).replace(/\\/g, '/');
    App.show('pc');
    renderFolder();
    Ui.message(parts.message, 'info', t('droppedFile', state.dropped));
  };

  App.register('pc', 'navPc', screen);
})();
