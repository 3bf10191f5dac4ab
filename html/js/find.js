// Find printers: the scan for USB and network printers, and the search for printers that
// other PCs share (scan, one host by name or address, log-on).
(function () {
  'use strict';
  var t = window.Texts.t;
  var Native = window.Native;
  var Ui = window.Ui;
  var App = window.App;
  var h = Ui.h;

  var ONLINE = 1, SHARED = 2;  // the two scan modes of startScan and interrupt
  var SCAN_INTERRUPTED = 1;
  // The services whose USB devices are not printers (hubs, storage, input, cameras, radios).
  var DEFAULT_USB_FILTER = ['USBHUB3', 'WUDFRd', 'USBSTOR', 'HidUsb', 'kbdhid', 'mouhid', 'disk',
    'usbhub', 'usbvideo', 'RtlWlanu', 'BTHUSB'];

  function newScan() {
    return { running: false, percent: 0, machines: null, ended: null };
  }

  var state = {
    online: newScan(),
    shared: newScan(),
    usbPrinters: [],
    usbDevices: [],
    netPrinters: [],
    hosts: [],          // share records: { ip, deviceName, group, printerNames, code, asked }
    probes: [],         // hosts asked with getHostSharePrinter, oldest first
    overCount: null
  };

  var screen = { state: state };
  var parts = {};

  screen.build = function (node) {
    parts = {};
    var scan = Ui.section(t('findTitle'), t('findIntro'));
    parts.onlineMessage = Ui.messageLine();
    parts.onlineMessage.id = 'scan-message';
    parts.onlineControls = h('div', { class: 'toolbar', id: 'scan-controls' });
    var showAll = h('input', { type: 'checkbox', id: 'usb-all', onchange: function () {
      var r = Native.call('setUSBServiceFilter', showAll.checked ? [] : DEFAULT_USB_FILTER);
      if (!r.ok) Ui.message(parts.onlineMessage, 'warn', Native.failureText(t('showAllUsb'), r));
    } });
    showAll.checked = !!state.showAllUsb;
    showAll.addEventListener('change', function () { state.showAllUsb = showAll.checked; });
    scan.appendChild(parts.onlineControls);
    scan.appendChild(parts.onlineMessage);
    scan.appendChild(h('label', { class: 'check' }, showAll, t('showAllUsb')));
    parts.usbPrinters = h('div', { id: 'usb-printers', class: 'list' });
    parts.usbDevices = h('div', { id: 'usb-devices', class: 'list' });
    parts.netPrinters = h('div', { id: 'net-printers', class: 'list' });
    scan.appendChild(h('h3', null, t('usbPrintersTitle')));
    scan.appendChild(parts.usbPrinters);
    scan.appendChild(h('h3', null, t('netPrintersTitle')));
    scan.appendChild(parts.netPrinters);
    scan.appendChild(h('h3', null, t('usbDevicesTitle')));
    scan.appendChild(parts.usbDevices);
    node.appendChild(scan);
    node.appendChild(buildShared());
    renderOnline();
    renderShared();
  };

  function buildShared() {
    var card = Ui.section(t('sharedTitle'), t('sharedIntro'));
    parts.sharedControls = h('div', { class: 'toolbar', id: 'share-scan-controls' });
    parts.sharedMessage = Ui.messageLine();
    parts.sharedMessage.id = 'share-message';
    var host = h('input', { id: 'probe-host', type: 'text', autocomplete: 'off',
      placeholder: 'PC-NAME / 192.168.1.20' });
    var probe = h('form', { class: 'form inline', onsubmit: function (e) {
      e.preventDefault();
      var text = host.value.trim().replace(/^\\+/, '');
      if (!text) { Ui.message(parts.sharedMessage, 'warn', t('connectNeedHost')); host.focus(); return; }
      probeHost(text);
    } }, h('label', null, t('probeHost'), host),
      h('button', { type: 'submit', id: 'probe-button' }, t('probeButton')));
    parts.hosts = h('div', { id: 'share-hosts', class: 'list' });
    card.appendChild(parts.sharedControls);
    card.appendChild(probe);
    card.appendChild(parts.sharedMessage);
    card.appendChild(parts.hosts);
    card.appendChild(buildLogOn());
    return card;
  }

  function buildLogOn() {
    var host = h('input', { id: 'logon-host', type: 'text', autocomplete: 'off' });
    var user = h('input', { id: 'logon-user', type: 'text', autocomplete: 'off' });
    var password = h('input', { id: 'logon-password', type: 'password', autocomplete: 'off' });
    parts.logOnMessage = Ui.messageLine();
    parts.logOnMessage.id = 'logon-message';
    parts.logOnHost = host;
    parts.logOnUser = user;
    var form = h('form', { class: 'form', id: 'logon-form', onsubmit: function (e) {
      e.preventDefault();
      logOn(host.value.trim().replace(/^\\+/, ''), user.value, password.value);
      password.value = '';
    } },
      h('label', null, t('connectHost'), host),
      h('label', null, t('userName'), user),
      h('label', null, t('password'), password),
      h('div', { class: 'buttons' },
        h('button', { type: 'submit', id: 'logon-button' }, t('logOn')),
        Ui.button(t('logOff'), function () { logOff(host.value.trim().replace(/^\\+/, '')); },
          { id: 'logoff-button' })));
    return h('details', { class: 'logon', id: 'logon', open: state.logOnOpen },
      h('summary', null, t('logOn')), form, parts.logOnMessage);
  }

  // ---- network and USB scan

  function renderScanControls(node, scan, mode, startKey) {
    Ui.clear(node);
    node.appendChild(Ui.button(t(startKey), function () { startScan(mode); },
      { class: 'primary', id: mode === ONLINE ? 'scan-start' : 'share-scan-start',
        disabled: scan.running }));
    node.appendChild(Ui.button(t('stop'), function () { stopScan(mode); },
      { id: mode === ONLINE ? 'scan-stop' : 'share-scan-stop', disabled: !scan.running }));
    if (scan.running || scan.ended !== null) {
      node.appendChild(h('div', { class: 'progress-block' },
        Ui.progressBar(scan.running ? scan.percent : 100),
        h('span', { class: 'muted' }, scan.running ? t('scanRunning', scan.percent) : '',
          scan.running && scan.machines ? '  ' + t('scanMachines', scan.machines[0], scan.machines[1]) : '')));
    }
  }

  function startScan(mode) {
    var scan = mode === ONLINE ? state.online : state.shared;
    var message = mode === ONLINE ? parts.onlineMessage : parts.sharedMessage;
    var r = Native.call('startScan', mode);
    if (!r.ok) {
      Ui.message(message, 'error', Native.failureText(t(mode === ONLINE ? 'scanStart' : 'shareScanStart'), r));
      return;
    }
    if (r.value === 1) { Ui.message(message, 'warn', t('scanBusy')); return; }
    if (r.value !== 0 && r.value !== undefined && r.value !== null) {
      Ui.message(message, 'error', t('scanNotStarted', r.value));
      return;
    }
    scan.running = true;
    scan.percent = 0;
    scan.machines = null;
    scan.ended = null;
    if (mode === ONLINE) {
      state.usbPrinters = [];
      state.usbDevices = [];
      state.netPrinters = [];
      state.overCount = null;
    } else {
      state.hosts = state.hosts.filter(function (x) { return x.asked; });
    }
    Ui.message(message, 'info', '');
    mode === ONLINE ? renderOnline() : renderShared();
  }

  function stopScan(mode) {
    var r = Native.call('interrupt', mode);
    if (!r.ok) {
      Ui.message(mode === ONLINE ? parts.onlineMessage : parts.sharedMessage, 'error',
        Native.failureText(t('stop'), r));
    }
  }

  function progress(scan, current, total, curMachine, totalMachine) {
    scan.running = true;
    scan.percent = total > 0 ? Math.max(0, Math.min(100, Math.round(current * 100 / total))) : 0;
    scan.machines = totalMachine > 0 ? [curMachine, totalMachine] : scan.machines;
  }

  screen.onOnlineProgress = function (current, total, event, curMachine, totalMachine) {
    progress(state.online, current, total, curMachine, totalMachine);
    renderScanControls(parts.onlineControls, state.online, ONLINE, 'scanStart');
  };

  screen.onOnlineFinish = function (endState) {
    state.online.running = false;
    state.online.ended = endState;
    if (endState === SCAN_INTERRUPTED) Ui.message(parts.onlineMessage, 'warn', t('scanStopped'));
    else Ui.message(parts.onlineMessage, 'ok', t('scanDone', state.usbPrinters.length,
      state.usbDevices.length, state.netPrinters.length));
    renderOnline();
  };

  screen.onUsbPrinter = function (json) {
    var record = typeof json === 'string' ? JSON.parse(json) : json;
    if (!record) return;
    var id = (record.hardwareids || [])[0] || record.deviceDesc || record.friendlyName;
    var known = state.usbPrinters.some(function (x) {
      return x.id === id && x.searchMethod === record.searchMethod;
    });
    if (!known) {
      record.id = id;
      state.usbPrinters.push(record);
    }
    renderUsbPrinters();
  };

  screen.onUsbDevice = function (members) {
    if (!Array.isArray(members) || !members.length) return;
    state.usbDevices.push(members);
    renderUsbDevices();
  };

  screen.onNetworkPrinter = function (ip, manufacturer, model) {
    var known = state.netPrinters.filter(function (x) { return x.ip === ip; })[0];
    if (known) {
      known.manufacturer = manufacturer;
      known.model = model;
    } else {
      state.netPrinters.push({ ip: ip, manufacturer: manufacturer, model: model });
    }
    renderNetPrinters();
  };

  screen.onOverCount = function (count, address, mask) {
    Ui.message(parts.onlineMessage, 'warn', t('overCount', count, dotted(address), dotted(mask)));
  };

  // An address in network byte order as the program passes it (first octet lowest).
  function dotted(value) {
    value = value >>> 0;
    return [value & 255, (value >>> 8) & 255, (value >>> 16) & 255, value >>> 24].join('.');
  }

  // An installed queue whose port names the address already prints to that printer.
  function installedAt(ip) {
    return App.printers.some(function (p) {
      return String(p.portName || '').split(/[^0-9.]+/).indexOf(ip) >= 0;
    });
  }

  screen.printersChanged = function () {
    if (parts.netPrinters) renderNetPrinters();
  };

  function renderOnline() {
    renderScanControls(parts.onlineControls, state.online, ONLINE, 'scanStart');
    renderUsbPrinters();
    renderUsbDevices();
    renderNetPrinters();
  }

  function empty(node) {
    node.appendChild(h('p', { class: 'muted' }, t('noneFound')));
  }

  function renderUsbPrinters() {
    var node = Ui.clear(parts.usbPrinters);
    if (!state.usbPrinters.length) return empty(node);
    state.usbPrinters.forEach(function (p) {
      var driverless = p.searchMethod === 3;
      var name = p.friendlyName || p.deviceDesc || p.id || '?';
      node.appendChild(h('article', { class: 'item', 'data-usb': p.id },
        h('div', { class: 'item-head' }, h('h3', { class: 'item-title' }, name),
          h('span', { class: 'badges' }, driverless ? Ui.badge('error', t('noDriver')) :
            Ui.badge('ok', t(p.searchMethod === 1 ? 'usbInterface' : 'driverInstalled')))),
        h('p', { class: 'item-details' }, [p.mfg ? t('manufacturer', p.mfg) : null,
          (p.hardwareids || [])[0]].filter(Boolean).join('  ·  ')),
        driverless ? h('div', { class: 'buttons small' },
          Ui.button(t('installDriver'), function () { App.show('pc'); },
            { 'data-action': 'install-driver' })) : null));
    });
  }

  function renderUsbDevices() {
    var node = Ui.clear(parts.usbDevices);
    if (!state.usbDevices.length) return empty(node);
    state.usbDevices.forEach(function (members) {
      var first = members[0];
      var driverless = members.every(function (m) { return !m.Service; });
      node.appendChild(h('article', { class: 'item compact', 'data-device': first.Instanceid },
        h('div', { class: 'item-head' }, h('h3', { class: 'item-title' }, first.Name || first.Hardwareid || first.Instanceid),
          driverless ? h('span', { class: 'badges' }, Ui.badge('error', t('noDriver'))) : null),
        h('p', { class: 'item-details' }, [first.Manu ? t('manufacturer', first.Manu) : null,
          first.Service ? t('service', first.Service) : null, first.Hardwareid]
          .filter(Boolean).join('  ·  '))));
    });
  }

  function renderNetPrinters() {
    var node = Ui.clear(parts.netPrinters);
    if (!state.netPrinters.length) return empty(node);
    state.netPrinters.forEach(function (p) {
      var installed = installedAt(p.ip);
      node.appendChild(h('article', { class: 'item', 'data-ip': p.ip },
        h('div', { class: 'item-head' },
          h('h3', { class: 'item-title' }, [p.manufacturer, p.model].filter(Boolean).join(' ') || p.ip),
          h('span', { class: 'badges' }, installed ? Ui.badge('ok', t('installed')) :
            Ui.badge('info', t('notInstalled')))),
        h('p', { class: 'item-details' }, [p.ip, p.manufacturer ? t('manufacturer', p.manufacturer) : null,
          p.model ? t('model', p.model) : null].filter(Boolean).join('  ·  ')),
        installed ? null : h('div', { class: 'buttons small' },
          Ui.button(t('addThis'), function () { addNetworkPrinter(); }, { 'data-action': 'add' }))));
    });
  }

  function addNetworkPrinter() {
    var r = Native.call('addPrinter', Native.windowHandle(), 1);
    if (!r.ok) Ui.message(parts.onlineMessage, 'error', Native.failureText(t('addNetwork'), r));
    else Ui.message(parts.onlineMessage, 'info', t('addStarted'));
  }

  // ---- shared printers

  screen.onShareProgress = function (current, total, event, curMachine, totalMachine) {
    progress(state.shared, current, total, curMachine, totalMachine);
    renderScanControls(parts.sharedControls, state.shared, SHARED, 'shareScanStart');
  };

  screen.onShareFinish = function (endState) {
    state.shared.running = false;
    state.shared.ended = endState;
    if (endState === SCAN_INTERRUPTED) Ui.message(parts.sharedMessage, 'warn', t('scanStopped'));
    else Ui.message(parts.sharedMessage, 'ok', t('shareScanDone',
      state.hosts.filter(function (x) { return !x.asked; }).length));
    renderShared();
  };

  function addHost(record) {
    var key = record.ip || record.asked || record.deviceName;
    state.hosts = state.hosts.filter(function (x) {
      return (x.ip || x.asked || x.deviceName) !== key &&
        !(record.asked && x.asked && x.asked.toLowerCase() === record.asked.toLowerCase());
    });
    state.hosts.push(record);
    renderHosts();
  }

  // A host found by the shared-printer scan.
  screen.onSharePrinter = function (ip, deviceName, group, printerNames, code) {
    addHost({ ip: ip, deviceName: deviceName, group: group, printerNames: printerNames || [],
      code: code, asked: '' });
  };

  // The answer to one host asked by name or address.
  screen.onHostAnswer = function (ip, deviceName, group, printerNames, code) {
    var asked = state.probes.length ? state.probes.shift() : (ip || deviceName);
    addHost({ ip: ip, deviceName: deviceName, group: group, printerNames: printerNames || [],
      code: code, asked: asked });
    Ui.message(parts.sharedMessage, 'info', '');
  };

  function probeHost(host) {
    var r = Native.call('getHostSharePrinter', host);
    if (!r.ok) {
      Ui.message(parts.sharedMessage, 'error', Native.failureText(t('probeButton'), r));
      return;
    }
    state.probes.push(host);
    Ui.message(parts.sharedMessage, 'info', t('probing', host));
  }

  function hostText(x) {
    if (x.code === 0) return x.printerNames.length ? t('hostCode0', x.printerNames.length) : t('hostCode0None');
    return t('hostCode' + x.code) !== 'hostCode' + x.code ? t('hostCode' + x.code) : t('errorCode', x.code);
  }

  function renderShared() {
    renderScanControls(parts.sharedControls, state.shared, SHARED, 'shareScanStart');
    renderHosts();
  }

  function renderHosts() {
    var node = Ui.clear(parts.hosts);
    state.hosts.forEach(function (x) {
      var target = x.deviceName || x.asked || x.ip;
      var title = [x.deviceName || x.asked, x.ip && x.ip !== (x.deviceName || x.asked) ? x.ip : null]
        .filter(Boolean).join('  ');
      var kind = x.code === 0 ? 'ok' : (x.code === 1 ? 'warn' : 'error');
      var connectTo = x.ip || target;
      node.appendChild(h('article', { class: 'item', 'data-host': target },
        h('div', { class: 'item-head' }, h('h3', { class: 'item-title' }, title || '?'),
          h('span', { class: 'badges' }, Ui.badge(kind, hostText(x)))),
        x.group ? h('p', { class: 'item-details' }, t('workgroup', x.group)) : null,
        h('ul', { class: 'shares' }, x.printerNames.map(function (name) {
          var message = Ui.messageLine();
          return h('li', null, h('span', { class: 'share-name' }, name),
            Ui.button(t('connectButton'), function () { App.connectShare(connectTo, name, message); },
              { 'data-action': 'connect', 'data-share': name }), message);
        })),
        x.code === 1 ? h('div', { class: 'buttons small' },
          Ui.button(t('logOn'), function () { openLogOn(connectTo); }, { 'data-action': 'logon' })) : null));
    });
  }

  function openLogOn(host) {
    var details = document.getElementById('logon');
    details.open = true;
    state.logOnOpen = true;
    parts.logOnHost.value = host;
    parts.logOnUser.focus();
  }

  function logOn(host, user, password) {
    if (!host) { Ui.message(parts.logOnMessage, 'warn', t('connectNeedHost')); return; }
    var r = Native.call('netAddConnection', host, user, password);
    if (!r.ok) {
      Ui.message(parts.logOnMessage, 'error', Native.failureText(t('logOn'), r));
    } else if (r.value !== 0) {
      Ui.message(parts.logOnMessage, 'error', t('logOnFailed', host, Native.errorText(r.value)));
    } else {
      Ui.message(parts.logOnMessage, 'ok', t('loggedOn', host));
      probeHost(host);
    }
  }

  function logOff(host) {
    if (!host) { Ui.message(parts.logOnMessage, 'warn', t('connectNeedHost')); return; }
    var r = Native.call('netCancelConnection', host, 0, 0);
    screen.showCode(parts.logOnMessage, t('logOff'), r, t('loggedOff', host));
  }

  screen.showCode = function (node, label, r, okText) {
    return App.screen('printers').showCode(node, label, r, okText);
  };

  App.register('find', 'navFind', screen);
})();
