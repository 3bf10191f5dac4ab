// Repair: the print system (spooler, stuck documents, firewall, OCR font), the one-click
// repair, and the eleven conditions of printer sharing with their repair.
(function () {
  'use strict';
  var t = window.Texts.t;
  var Native = window.Native;
  var Ui = window.Ui;
  var App = window.App;
  var h = Ui.h;

  var SPOOLER_RUNNING = 4, SPOOLER_STOPPED = 1;
  // Start, stop, continue and pause pending: the spooler is on its way to another state (right
  // after a restart, for instance), so it is asked again every second for a while.
  var SPOOLER_PENDING = [2, 3, 5, 6];
  var SPOOLER_RECHECK_MS = 1000, SPOOLER_RECHECKS = 15;
  var spoolerRechecks = 0;
  // JOB_STATUS_* bits that mean a document cannot print without help.
  var JOB_PROBLEM = 0x2 | 0x20 | 0x40 | 0x200 | 0x400;
  var EWX_REBOOT = 0x2;
  var SHARE_ITEMS = 11;
  // The good value of each sharing condition, by index.
  var SHARE_GOOD = [1, 1, 3, 15, 1, 0, 1, 1, 3, 1, 0];
  // Conditions whose repair lowers the PC's security; each has a warning text.
  var LOWERS_SECURITY = [0, 1, 3, 4, 5, 9, 10];

  var state = {
    checked: false,
    checks: {},         // id -> { good: true/false/null, text }
    oneClick: 'idle',   // idle, running, done
    share: { results: null, checking: false, step: 0, repairing: false, repairStep: 0,
      restartNeeded: false }
  };
  var parts = {};
  var screen = { state: state };

  var CHECKS = [
    { id: 'spooler', nameKey: 'itemSpooler', check: checkSpooler, repairKey: 'restartSpooler',
      repair: function () { return runRepair('restartPrinterSpool', 'restartSpooler', 'spoolerRestarted'); } },
    { id: 'jobs', nameKey: 'itemJobs', check: checkJobs, repairKey: 'cleanJobs', repair: cleanJobs },
    { id: 'fw-sharing', nameKey: 'itemFwSharing', check: function () { return checkFirewall(1); },
      repairKey: 'openFirewall',
      repair: function () { return runRepair('enableFirewall', 'openFirewall', 'firewallOpened'); } },
    { id: 'fw-discovery', nameKey: 'itemFwDiscovery', check: function () { return checkFirewall(0); },
      repairKey: 'openFirewall',
      repair: function () { return runRepair('enableFirewall', 'openFirewall', 'firewallOpened'); } },
    { id: 'ocr', nameKey: 'itemOcr', check: checkOcr, repairKey: 'installFont',
      repair: function () { return runRepair('installOcrFont', 'installFont', 'fontInstalled'); } }
  ];

  screen.build = function (node) {
    parts = {};
    parts.message = Ui.messageLine();
    parts.message.id = 'repair-message';
    node.appendChild(parts.message);

    var oneClick = Ui.section(t('oneClickTitle'), t('oneClickText'));
    parts.oneClick = h('div', { id: 'oneclick' });
    oneClick.appendChild(parts.oneClick);
    node.appendChild(oneClick);

    var system = Ui.section(t('printSystemTitle'));
    system.appendChild(h('div', { class: 'toolbar' },
      Ui.button(t('checkAgain'), runChecks, { id: 'checks-run' })));
    parts.checks = h('div', { id: 'checks', class: 'list' });
    system.appendChild(parts.checks);
    node.appendChild(system);

    var sharing = Ui.section(t('sharingTitle'), t('sharingIntro'));
    sharing.id = 'sharing';
    parts.shareControls = h('div', { id: 'share-controls' });
    parts.shareMessage = Ui.messageLine();
    parts.shareMessage.id = 'sharing-message';
    parts.shareList = h('ul', { id: 'share-items', class: 'conditions' });
    sharing.appendChild(parts.shareControls);
    sharing.appendChild(parts.shareMessage);
    sharing.appendChild(parts.shareList);
    node.appendChild(sharing);
    renderOneClick();
    renderChecks();
    renderSharing();
  };

  // The checks run the first time the screen is shown, and again on request.
  screen.shown = function () {
    if (!state.checked) runChecks();
  };

  // ---- print system

  function checkSpooler() {
    var r = Native.call('checkPrinterSpool');
    if (!r.ok) return { good: null, text: Native.failureText(t('itemSpooler'), r) };
    if (r.value === SPOOLER_RUNNING) return { good: true, text: t('spoolerRunning') };
    if (r.value === SPOOLER_STOPPED) return { good: false, text: t('spoolerStopped') };
    if (r.value === -1) return { good: null, text: t('spoolerUnknown') };
    if (SPOOLER_PENDING.indexOf(r.value) >= 0) return { good: null, pending: true, text: t('spoolerPending') };
    return { good: false, text: t('spoolerState', r.value) };
  }

  function followPendingSpooler() {
    var result = state.checks.spooler;
    if (!result || !result.pending || spoolerRechecks >= SPOOLER_RECHECKS) return;
    spoolerRechecks++;
    setTimeout(function () {
      state.checks.spooler = checkSpooler();
      renderChecks();
      followPendingSpooler();
    }, SPOOLER_RECHECK_MS);
  }

  function checkJobs() {
    var local = App.printers.filter(function (p) { return !p.serverName; });
    var waiting = 0;
    var broken = [];
    for (var i = 0; i < local.length; i++) {
      var r = Native.call('checkPrinterQueue', local[i].printerName);
      if (!r.ok) return { good: null, text: Native.failureText(t('itemJobs'), r) };
      if (r.value & JOB_PROBLEM) broken.push(local[i].printerName);
      waiting += local[i].cjobs || 0;
    }
    if (broken.length) return { good: false, text: t('jobsError', broken.join(', ')) };
    if (waiting) return { good: true, text: t('jobsWaiting', waiting) };
    return { good: true, text: t('jobsNone') };
  }

  function checkFirewall(group) {
    var r = Native.call('checkFirewall', group);
    if (!r.ok) return { good: null, text: Native.failureText(t(group ? 'itemFwSharing' : 'itemFwDiscovery'), r) };
    return r.value ? { good: true, text: t('fwOn') } : { good: false, text: t('fwOff') };
  }

  function checkOcr() {
    var r = Native.call('checkOcrFont');
    if (!r.ok) return { good: null, text: Native.failureText(t('itemOcr'), r) };
    return r.value ? { good: true, text: t('ocrPresent') } : { good: false, text: t('ocrMissing') };
  }

  function runChecks() {
    state.checked = true;
    CHECKS.forEach(function (c) { state.checks[c.id] = c.check(); });
    renderChecks();
    spoolerRechecks = 0;
    followPendingSpooler();
  }

  // Runs a repair program command that answers its exit code, then checks again.
  function runRepair(command, labelKey, okKey) {
    var r = Native.call(command);
    if (!r.ok) {
      Ui.message(parts.message, 'error', Native.failureText(t(labelKey), r));
    } else if (typeof r.value === 'number' && r.value !== 0) {
      Ui.message(parts.message, 'error', t('commandFailed', t(labelKey), t('repairExit', r.value)));
    } else {
      Ui.message(parts.message, 'ok', t(okKey));
    }
    runChecks();
  }

  function cleanJobs() {
    Ui.confirm(t('askClean'), function () {
      var r = Native.call('cleanPrinterQueue', 0);
      if (!r.ok) Ui.message(parts.message, 'error', Native.failureText(t('cleanJobs'), r));
      else Ui.message(parts.message, 'ok', t('jobsCleaned'));
      runChecks();
    }, t('cleanJobs'));
  }

  function goodBadge(good) {
    if (good === true) return Ui.badge('ok', t('good'));
    if (good === false) return Ui.badge('error', t('bad'));
    return Ui.badge('muted', t('unknown'));
  }

  function renderChecks() {
    var node = Ui.clear(parts.checks);
    CHECKS.forEach(function (c) {
      var result = state.checks[c.id];
      node.appendChild(h('article', { class: 'item row', 'data-check': c.id },
        h('span', { class: 'row-badge' }, goodBadge(result ? result.good : null)),
        h('span', { class: 'row-text' }, h('strong', null, t(c.nameKey)),
          result ? h('span', { class: 'muted' }, result.text) : null),
        Ui.button(t(c.repairKey), c.repair, { 'data-action': 'repair-' + c.id,
          class: result && result.good === false ? 'primary' : '' })));
    });
  }

  // ---- one-click repair

  function renderOneClick() {
    var node = Ui.clear(parts.oneClick);
    node.appendChild(Ui.button(t('oneClickButton'), oneClick, { class: 'primary big',
      id: 'oneclick-run', disabled: state.oneClick === 'running' }));
    if (state.oneClick === 'running') {
      node.appendChild(h('p', { class: 'message info' }, t('oneClickRunning')));
    } else if (state.oneClick === 'done') {
      node.appendChild(h('p', { class: 'message ok' }, t('oneClickDone')));
    }
  }

  function oneClick() {
    var r = Native.call('resetSpool_firewall_queue');
    if (!r.ok) {
      Ui.message(parts.message, 'error', Native.failureText(t('oneClickButton'), r));
      return;
    }
    if (typeof r.value === 'number' && r.value !== 0) {
      Ui.message(parts.message, 'error', t('commandFailed', t('oneClickButton'), Native.errorText(r.value)));
      return;
    }
    state.oneClick = 'running';
    renderOneClick();
  }

  screen.onResetAllFinished = function () {
    state.oneClick = 'done';
    renderOneClick();
    runChecks();
  };

  // ---- sharing conditions

  function isGood(index, value) {
    return value === SHARE_GOOD[index];
  }

  function bitCount(value) {
    var n = 0;
    for (var v = value >>> 0; v; v >>>= 1) n += v & 1;
    return n;
  }

  // What is wrong with one condition, beyond good / bad.
  function detail(index, value) {
    if (index === 2 && !(value & 1)) return t('share2Missing');
    if (index === 2 && !(value & 2)) return t('share2Off');
    if (index === 3) return t('share3Rows', bitCount(value & 15));
    if (index === 8) {
      return [value & 1 ? null : t('share8Sharing'), value & 2 ? null : t('share8Discovery')]
        .filter(Boolean).join(', ');
    }
    return '';
  }

  function renderShareControls() {
    var node = Ui.clear(parts.shareControls);
    var s = state.share;
    var busy = s.checking || s.repairing;
    node.appendChild(h('div', { class: 'toolbar' },
      Ui.button(t('sharingCheck'), checkSharing, { id: 'sharing-check', disabled: busy }),
      Ui.button(t('sharingRepair'), askRepairSharing, { id: 'sharing-repair', class: 'primary',
        disabled: busy }),
      Ui.button(t('stop'), stopSharing, { id: 'sharing-stop', disabled: !busy })));
    if (s.checking) {
      node.appendChild(h('div', { class: 'progress-block' }, Ui.progressBar(Math.round(s.step * 100 / SHARE_ITEMS)),
        h('span', { class: 'muted' }, t('sharingChecking', s.step, SHARE_ITEMS))));
    } else if (s.repairing) {
      node.appendChild(h('div', { class: 'progress-block' }, Ui.progressBar(Math.round(s.repairStep * 100 / SHARE_ITEMS)),
        h('span', { class: 'muted' }, t('sharingRepairing', s.repairStep, SHARE_ITEMS))));
    }
    if (s.restartNeeded) {
      node.appendChild(h('div', { class: 'message warn notice', id: 'restart-notice' },
        h('span', null, t('restartNeeded')),
        Ui.button(t('restartNow'), askRestart, { id: 'restart-now' })));
    }
  }

  function renderSharing() {
    renderShareControls();
    var node = Ui.clear(parts.shareList);
    var results = state.share.results;
    for (var i = 0; i < SHARE_ITEMS; i++) {
      var known = results && typeof results[i] === 'number';
      var good = known ? isGood(i, results[i]) : null;
      var lowers = LOWERS_SECURITY.indexOf(i) >= 0;
      var more = known && !good ? detail(i, results[i]) : '';
      node.appendChild(h('li', { class: 'condition', 'data-item': String(i),
        'data-state': good === null ? 'unknown' : (good ? 'good' : 'bad') },
        h('span', { class: 'row-badge' }, goodBadge(good)),
        h('span', { class: 'row-text' },
          h('strong', null, t('share' + i)),
          h('span', { class: 'muted' }, t('share' + i + 'Info') + (more ? ' (' + more + ')' : '')),
          lowers ? h('span', { class: 'security' }, Ui.badge('warn', t('lowersSecurity')),
            ' ' + t('share' + i + 'Warn')) : null)));
    }
  }

  function checkSharing() {
    var s = state.share;
    var r = Native.call('queryShareEnvAsync', 0);
    if (r.ok) {
      s.checking = true;
      s.step = 0;
      s.results = [];
      Ui.message(parts.shareMessage, 'info', '');
      renderSharing();
      return;
    }
    // An older program answers the whole check at once.
    var sync = Native.call('queryShareEnv');
    if (sync.ok && Array.isArray(sync.value)) {
      screen.onShareResults(sync.value);
    } else {
      Ui.message(parts.shareMessage, 'error', Native.failureText(t('sharingCheck'), r));
    }
  }

  screen.onShareProgress = function (step, total, value) {
    var s = state.share;
    if (!s.results) s.results = [];
    s.checking = true;
    s.step = step;
    if (step >= 1 && step <= SHARE_ITEMS) s.results[step - 1] = value;
    renderSharing();
  };

  screen.onShareResults = function (results) {
    var s = state.share;
    s.checking = false;
    s.results = Array.isArray(results) ? results.slice(0, SHARE_ITEMS) : [];
    var good = s.results.filter(function (v, i) { return isGood(i, v); }).length;
    Ui.message(parts.shareMessage, good === SHARE_ITEMS ? 'ok' : 'warn',
      t('sharingChecked', good, SHARE_ITEMS - good));
    renderSharing();
  };

  function askRepairSharing() {
    var results = state.share.results;
    // The settings the repair would change that lower security: those not good yet.
    var lowering = LOWERS_SECURITY.filter(function (i) {
      return !(results && typeof results[i] === 'number' && isGood(i, results[i]));
    });
    var lines = lowering.length ? [t('askRepairSharing'),
      h('ul', { class: 'warnings' }, lowering.map(function (i) {
        return h('li', null, h('strong', null, t('share' + i) + ': '), t('share' + i + 'Warn'));
      })), t('askRepairSharingTail')] : [t('askRepairSharingPlain')];
    Ui.confirm(lines, repairSharing, t('sharingRepair'));
  }

  function repairSharing() {
    var s = state.share;
    var r = Native.call('resetShareEnvAsync');
    if (!r.ok) {
      Ui.message(parts.shareMessage, 'error', Native.failureText(t('sharingRepair'), r));
      return;
    }
    s.repairing = true;
    s.repairStep = 0;
    s.restartNeeded = r.value === true;
    Ui.message(parts.shareMessage, 'info', '');
    renderSharing();
  }

  screen.onRepairProgress = function (step) {
    state.share.repairing = true;
    state.share.repairStep = step;
    renderShareControls();
  };

  screen.onRepairFinished = function () {
    state.share.repairing = false;
    Ui.message(parts.shareMessage, 'ok', t('sharingRepaired'));
    renderSharing();
    checkSharing();
  };

  function stopSharing() {
    var s = state.share;
    var r = s.repairing ? Native.call('endResetShareEnv') : Native.call('endQueryShareEnv', 0);
    if (!r.ok) {
      Ui.message(parts.shareMessage, 'error', Native.failureText(t('stop'), r));
      return;
    }
    s.checking = false;
    s.repairing = false;
    Ui.message(parts.shareMessage, 'warn', t('sharingStopped'));
    renderSharing();
  }

  function askRestart() {
    Ui.confirm(t('askRestart'), function () {
      var r = Native.call('restartComputer', EWX_REBOOT, 0);
      if (!r.ok) Ui.message(parts.shareMessage, 'error', Native.failureText(t('restartNow'), r));
      else if (r.value === false) Ui.message(parts.shareMessage, 'error', t('restartFailed'));
    }, t('restartNow'));
  }

  // Used by the error help: open this screen at the sharing conditions and check them.
  screen.showSharing = function () {
    App.show('repair');
    var node = document.getElementById('sharing');
    if (node && node.scrollIntoView) node.scrollIntoView();
    if (!state.share.checking && !state.share.repairing) checkSharing();
  };

  App.register('repair', 'navRepair', screen);
})();
