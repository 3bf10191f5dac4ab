// Printers: the installed queues and connections with their state, the actions on a queue,
// adding a printer and connecting to a printer shared by another PC.
(function () {
  'use strict';
  var t = window.Texts.t;
  var Native = window.Native;
  var Ui = window.Ui;
  var App = window.App;
  var h = Ui.h;

  // PRINTER_STATUS_* bits and the words for them, most important first.
  var STATUS_WORDS = [
    [0x00000002, 'badgeError', 'error'], [0x00000080, 'badgeOffline', 'error'],
    [0x00000008, 'stPaperJam', 'error'], [0x00000010, 'stPaperOut', 'error'],
    [0x00000040, 'stPaperProblem', 'error'], [0x00040000, 'stNoToner', 'error'],
    [0x00400000, 'stDoorOpen', 'error'], [0x00100000, 'stUserIntervention', 'error'],
    [0x00001000, 'stNotAvailable', 'error'], [0x00000004, 'stPendingDeletion', 'warn'],
    [0x00020000, 'stTonerLow', 'warn'], [0x00000400, 'badgePrinting', 'info']
  ];
  var STATUS_PAUSED = 0x1;
  var ATTRIBUTE_SHARED = 0x8;
  var ATTRIBUTE_WORK_OFFLINE = 0x400;
  // PRINTER_CHANGE_* flags and PRINTER_NOTIFY_FIELD_* codes of a change record.
  var CHANGE_ADD = 1, CHANGE_SET = 2, CHANGE_DELETE = 4;
  var FIELD_NAME = 1, FIELD_ATTRIBUTES = 13, FIELD_STATUS = 18, FIELD_CJOBS = 20;

  var screen = {
    node: null,
    message: null,
    list: null,
    pendingEnum: [],       // the connection flags of enumerations still to answer
    pendingConnections: [], // { host, share, message } in the order they were started
    refreshTimer: 0
  };

  screen.build = function (node) {
    screen.node = node;
    screen.message = Ui.messageLine();
    screen.message.id = 'printers-message';
    screen.list = h('div', { id: 'printer-list', class: 'list' });
    var head = Ui.section(t('printersTitle'), t('printersIntro'));
    head.appendChild(h('div', { class: 'toolbar' },
      Ui.button(t('refresh'), refresh, { id: 'printers-refresh' }),
      h('span', { id: 'printers-count', class: 'muted' })));
    head.appendChild(screen.list);
    node.appendChild(screen.message);
    node.appendChild(head);
    node.appendChild(buildAdd());
    node.appendChild(buildConnect());
    renderList();
  };

  screen.start = function () {
    refresh();
  };

  function buildAdd() {
    var card = Ui.section(t('addTitle'));
    var wizards = [['addLocal', 0], ['addNetwork', 1], ['addManual', 2], ['addConnectDialog', 3]];
    card.appendChild(h('div', { class: 'buttons' }, wizards.map(function (w) {
      return Ui.button(t(w[0]), function () { addPrinter(w[1], t(w[0])); },
        { id: 'add-wizard-' + w[1] });
    })));
    card.appendChild(h('h3', null, t('toolsTitle')));
    var tools = [['toolPrintManagement', 0], ['toolDeviceManager', 1], ['toolPrintersFolder', 2]];
    var mmc = Native.call('checkMMCExists', 0);
    card.appendChild(h('div', { class: 'buttons' }, tools.map(function (tool) {
      // Print Management exists only on some Windows editions.
      if (tool[1] === 0 && mmc.ok && mmc.value === false) return null;
      return Ui.button(t(tool[0]), function () { openTool(tool[1], t(tool[0])); },
        { id: 'tool-' + tool[1] });
    })));
    return card;
  }

  function buildConnect() {
    var card = Ui.section(t('connectTitle'), t('connectIntro'));
    var host = h('input', { id: 'connect-host', type: 'text', autocomplete: 'off',
      placeholder: 'PC-NAME / 192.168.1.20' });
    var share = h('input', { id: 'connect-share', type: 'text', autocomplete: 'off' });
    var message = Ui.messageLine();
    message.id = 'connect-message';
    var form = h('form', { class: 'form', onsubmit: function (e) {
      e.preventDefault();
      var hostText = host.value.trim().replace(/^\\+/, '');
      var shareText = share.value.trim();
      if (!hostText) { Ui.message(message, 'warn', t('connectNeedHost')); host.focus(); return; }
      if (!shareText) { Ui.message(message, 'warn', t('connectNeedShare')); share.focus(); return; }
      connectShare(hostText, shareText, message);
    } },
      h('label', null, t('connectHost'), host),
      h('label', null, t('connectShare'), share),
      h('button', { type: 'submit', class: 'primary', id: 'connect-button' }, t('connectButton')));
    card.appendChild(form);
    card.appendChild(message);
    return card;
  }

  // ---- the list

  function refresh() {
    screen.pendingEnum = [0, 1];
    nextEnumeration();
  }

  function nextEnumeration() {
    if (!screen.pendingEnum.length) return;
    var r = Native.call('enumPrinters', screen.pendingEnum[0]);
    if (!r.ok) {
      screen.pendingEnum = [];
      App.printersLoaded = true;
      Ui.message(screen.message, 'error', Native.failureText(t('printersTitle'), r));
      renderList();
    }
  }

  // One enumeration answered: its queues replace those of the same kind.
  screen.onEnumPrinters = function (json) {
    var flag = screen.pendingEnum.length ? screen.pendingEnum.shift() : null;
    var list = JSON.parse(json || '[]');
    if (!Array.isArray(list)) list = [];
    var connections = flag === null ? list.some(function (p) { return p.serverName; }) : flag !== 0;
    App.printers = App.printers.filter(function (p) { return isConnection(p) !== connections; })
      .concat(list.map(function (p) { p.connection = connections; return p; }));
    App.printers.sort(function (a, b) {
      return (b.isDefault ? 1 : 0) - (a.isDefault ? 1 : 0) ||
        String(a.printerName).localeCompare(String(b.printerName));
    });
    if (!screen.pendingEnum.length) App.printersLoaded = true;
    renderList();
    var find = App.screen('find');
    if (find && find.printersChanged) find.printersChanged();
    nextEnumeration();
  };

  function isConnection(p) {
    return p.connection !== undefined ? p.connection : !!p.serverName;
  }

  function findPrinter(name, server) {
    for (var i = 0; i < App.printers.length; i++) {
      var p = App.printers[i];
      if (p.printerName === name && (!server || !p.serverName || p.serverName === server)) return p;
    }
    return null;
  }

  // A change from the printer monitor: state changes are applied at once, added and removed
  // queues are read again.
  screen.onPrinterChange = function (info) {
    if (!info) return;
    var changed = info.dwChanged >>> 0;
    var printer = findPrinter(info.printerName, info.printerServer);
    if ((changed & (CHANGE_ADD | CHANGE_DELETE)) || !printer) {
      scheduleRefresh();
      return;
    }
    if (changed & CHANGE_SET) {
      var fields = info.dwNotifyField || [];
      if (fields.indexOf(FIELD_NAME) >= 0 && info.newPrinterName) {
        printer.printerName = info.newPrinterName;
      }
      if (fields.indexOf(FIELD_ATTRIBUTES) >= 0) {
        printer.attributes = info.dwAttribute;
        printer.isShare = (info.dwAttribute & ATTRIBUTE_SHARED) !== 0;
      }
      if (fields.indexOf(FIELD_STATUS) >= 0) printer.status = info.dwPrinterStatus;
      if (fields.indexOf(FIELD_CJOBS) >= 0) printer.cjobs = info.dwCjobs;
      renderList();
    }
  };

  function scheduleRefresh() {
    window.clearTimeout(screen.refreshTimer);
    screen.refreshTimer = window.setTimeout(refresh, 150);
  }

  function statusBadges(p) {
    var badges = [];
    if (p.isDefault) badges.push(Ui.badge('ok', t('badgeDefault')));
    if (p.isShare) badges.push(Ui.badge('info', t('badgeShared')));
    if (isConnection(p)) badges.push(Ui.badge('info', t('badgeConnection')));
    if (p.status & STATUS_PAUSED) badges.push(Ui.badge('warn', t('badgePaused')));
    if (p.attributes & ATTRIBUTE_WORK_OFFLINE) badges.push(Ui.badge('error', t('badgeOffline')));
    var problem = false;
    STATUS_WORDS.forEach(function (w) {
      if (p.status & w[0]) {
        badges.push(Ui.badge(w[2], t(w[1])));
        if (w[2] === 'error') problem = true;
      }
    });
    if (!problem && !(p.status & STATUS_PAUSED)) badges.push(Ui.badge('ok', t('badgeReady')));
    return badges;
  }

  function renderList() {
    if (!screen.list) return;
    Ui.clear(screen.list);
    var count = document.getElementById('printers-count');
    if (!App.printersLoaded && !App.printers.length) {
      screen.list.appendChild(h('p', { class: 'muted' }, t('printersLoading')));
      return;
    }
    if (count) count.textContent = App.printers.length ? t('printersCount', App.printers.length) : '';
    if (!App.printers.length) {
      screen.list.appendChild(h('p', { class: 'empty' }, t('printersNone')));
      return;
    }
    App.printers.forEach(function (p, index) {
      screen.list.appendChild(printerCard(p, index));
    });
  }

  function printerCard(p, index) {
    var details = [t('driver', p.driverName || '-')];
    if (p.portName) details.push(t('port', p.portName));
    if (isConnection(p)) details.push(t('server', p.serverName));
    if (p.isShare && p.shareName) details.push(t('shareName', p.shareName));
    var actions = [
      Ui.button(t('actTestPage'), function () { queueAction(p, 'printTestPage', 'actTestPage', 'resTestPage'); },
        { 'data-action': 'testpage' }),
      Ui.button(t('actOpenQueue'), function () { queueAction(p, 'viewPrintQueue', 'actOpenQueue', 'resOpenQueue'); },
        { 'data-action': 'queue' }),
      Ui.button(t('actPreferences'), function () {
        queueAction(p, 'showPrintPreferencesPage', 'actPreferences', 'resPreferences');
      }, { 'data-action': 'preferences' }),
      Ui.button(t('actProperties'), function () {
        queueAction(p, 'showPrinterPropertiesPage', 'actProperties', 'resProperties');
      }, { 'data-action': 'properties' }),
      isConnection(p) ? null : Ui.button(t(p.isShare ? 'actUnshare' : 'actShare'),
        function () { share(p); }, { 'data-action': 'share' }),
      p.isDefault ? null : Ui.button(t('actDefault'), function () { setDefault(p); },
        { 'data-action': 'default' }),
      Ui.button(t('actDelete'), function () { remove(p); },
        { 'data-action': 'delete', class: 'danger' })
    ];
    return h('article', { class: 'item printer', 'data-printer': p.printerName,
      'data-index': String(index) },
      h('div', { class: 'item-head' },
        h('h3', { class: 'item-title' }, p.printerName),
        h('span', { class: 'badges' }, statusBadges(p))),
      h('p', { class: 'item-details' }, details.join('  ·  ')),
      h('p', { class: 'item-details' }, p.cjobs ? t('jobs', p.cjobs) : t('noJobs')),
      h('div', { class: 'buttons small' }, actions));
  }

  // ---- actions

  // Shows the outcome of a command that answers a Win32 code (0 is success).
  function showCode(node, label, r, okText) {
    if (!r.ok) {
      Ui.message(node, 'error', Native.failureText(label, r));
    } else if (typeof r.value === 'number' && r.value !== 0) {
      Ui.message(node, 'error', t('commandFailed', label, Native.errorText(r.value)));
    } else {
      Ui.message(node, 'ok', okText);
      return true;
    }
    return false;
  }
  screen.showCode = showCode;

  function queueAction(p, command, labelKey, okKey) {
    var r = Native.call(command, p.printerName, p.serverName || '');
    showCode(screen.message, t(labelKey), r, t(okKey, p.printerName));
  }

  function share(p) {
    var on = !p.isShare;
    var r = Native.call('sharePrinter', p.printerName, p.serverName || '', on);
    if (showCode(screen.message, t(on ? 'actShare' : 'actUnshare'), r,
      t(on ? 'resShared' : 'resUnshared', p.printerName))) {
      p.isShare = on;
      scheduleRefresh();
    }
  }

  function setDefault(p) {
    var r = Native.call('setDefaultPrinter', p.printerName, p.serverName || '');
    if (!r.ok) {
      Ui.message(screen.message, 'error', Native.failureText(t('actDefault'), r));
    } else if (r.value === false) {
      Ui.message(screen.message, 'error', t('resDefaultFailed', p.printerName));
    } else {
      Ui.message(screen.message, 'ok', t('resDefault', p.printerName));
      scheduleRefresh();
    }
  }

  function remove(p) {
    Ui.confirm(t('askDelete', p.printerName), function () {
      var r = Native.call('deletePrinter', p.printerName, p.serverName || '');
      if (showCode(screen.message, t('actDelete'), r, t('resDeleted', p.printerName))) {
        scheduleRefresh();
      }
    }, t('actDelete'));
  }

  function addPrinter(wizard, label) {
    var r = Native.call('addPrinter', Native.windowHandle(), wizard);
    if (!r.ok) Ui.message(screen.message, 'error', Native.failureText(label, r));
    else Ui.message(screen.message, 'info', t('addStarted'));
  }

  function openTool(console, label) {
    var r = Native.call('openManager', Native.windowHandle(), console);
    showCode(screen.message, label, r, t('toolOpened', label));
  }

  // Connects \\host\share in the background; the end is told in `message`.
  function connectShare(host, share, message) {
    var pending = { host: host, share: share, message: message };
    var r = Native.call('addPrinterConnectionAsync', host, share);
    if (r.ok) {
      screen.pendingConnections.push(pending);
      Ui.message(message, 'info', t('connecting', host, share));
      return;
    }
    // An older program may only connect while the page waits.
    var sync = Native.call('addPrinterConnection', host, share);
    if (sync.ok) {
      connectionEnded(pending, sync.value);
    } else {
      Ui.message(message, 'error', Native.failureText(t('connectButton'), r));
    }
  }
  App.connectShare = connectShare;

  function connectionEnded(pending, code) {
    if (code === 0 || code === undefined) {
      Ui.message(pending.message, 'ok', t('connected', pending.host, pending.share));
      scheduleRefresh();
    } else {
      Ui.message(pending.message, 'error',
        t('connectFailed', pending.host, pending.share, Native.errorText(code)));
    }
  }

  screen.onConnectionResult = function (code) {
    var pending = screen.pendingConnections.shift() ||
      { host: '?', share: '?', message: document.getElementById('connect-message') };
    connectionEnded(pending, code);
  };

  App.register('printers', 'navPrinters', screen);
})();
