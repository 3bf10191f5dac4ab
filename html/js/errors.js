// Error-code help: the code Windows showed, what it usually means, and which check and
// repair of this program address it.
(function () {
  'use strict';
  var t = window.Texts.t;
  var Native = window.Native;
  var Ui = window.Ui;
  var App = window.App;
  var h = Ui.h;

  // code -> text keys and where to go; the first entries are the ones people meet most.
  var CODES = [
    { code: 0x0000011b, key: 'code11b', go: 'sharing' },
    { code: 0x00000709, key: 'code709', go: 'sharing' },
    { code: 0x00000bcb, key: 'codeBcb', go: 'pc' },
    { code: 0x000006ba, key: 'code6ba', go: 'repair' },
    { code: 0x000006be, key: 'code6be', go: 'repair' },
    { code: 0x0000007e, key: 'code7e', go: 'repair' },
    { code: 0x00000002, key: 'code2', go: 'repair' },
    { code: 0x00000005, key: 'code5', go: 'sharing' },
    { code: 0x000003e3, key: 'code3e3', go: 'repair' },
    { code: 0x00000040, key: 'code40', go: 'sharing' },
    { code: 0x80070035, key: 'code4f', go: 'sharing' },
    { code: 0x0000052e, key: 'code52e', go: 'find' },
    { code: 0x000006d9, key: 'code6d9', go: 'repair' },
    { code: 0x00000bc4, key: 'codeBc4', go: 'find' }
  ];
  var GO = {
    sharing: { key: 'goSharing', run: function () { App.screen('repair').showSharing(); } },
    repair: { key: 'goRepair', run: function () { App.show('repair'); } },
    find: { key: 'goFind', run: function () { App.show('find'); } },
    pc: { key: 'goPc', run: function () { App.show('pc'); } }
  };

  var state = { input: '' };
  var parts = {};
  var screen = { codes: CODES };

  function hex(code) {
    return '0x' + ('00000000' + (code >>> 0).toString(16)).slice(-8);
  }

  // "0x0000011b", "0x11B", "11b", "80070035" read as hexadecimal, "283" as decimal; a short
  // number that is a known code only in hexadecimal ("709") is taken as hexadecimal.
  function parse(text) {
    var s = String(text).trim().toLowerCase();
    var marked = /^0x/.test(s);
    s = s.replace(/^0x/, '');
    if (!/^[0-9a-f]{1,8}$/.test(s)) return null;
    var asHex = parseInt(s, 16) >>> 0;
    if (marked || /[a-f]/.test(s) || s.length === 8) return asHex;
    var asDecimal = parseInt(s, 10) >>> 0;
    return !known(asDecimal) && known(asHex) ? asHex : asDecimal;
  }

  function known(code) {
    return CODES.some(function (c) { return c.code === code; });
  }
  screen.parse = parse;

  screen.build = function (node) {
    parts = {};
    var card = Ui.section(t('errorsTitle'), t('errorsIntro'));
    var input = h('input', { id: 'error-code', type: 'text', autocomplete: 'off',
      list: 'error-codes', placeholder: '0x0000011b', value: state.input });
    var list = h('datalist', { id: 'error-codes' }, CODES.map(function (c) {
      return h('option', { value: hex(c.code) });
    }));
    card.appendChild(h('form', { class: 'form inline', onsubmit: function (e) {
      e.preventDefault();
      lookUp(input.value);
    } }, h('label', null, t('errorsInput'), input), list,
      h('button', { type: 'submit', class: 'primary', id: 'error-lookup' }, t('errorsLookup'))));
    parts.answer = h('div', { id: 'error-answer', 'aria-live': 'polite' });
    card.appendChild(parts.answer);
    card.appendChild(h('h3', null, t('errorsCommon')));
    card.appendChild(h('div', { class: 'buttons codes' }, CODES.map(function (c) {
      return Ui.button(hex(c.code), function () { input.value = hex(c.code); lookUp(hex(c.code)); },
        { 'data-code': hex(c.code), class: 'code' });
    })));
    node.appendChild(card);
    if (state.input) lookUp(state.input);
  };

  function lookUp(text) {
    state.input = text;
    var node = Ui.clear(parts.answer);
    var code = parse(text);
    if (code === null) {
      node.appendChild(h('p', { class: 'message warn' }, t('errorsInvalid')));
      return;
    }
    var entry = CODES.filter(function (c) { return c.code === code; })[0];
    if (!entry) {
      node.appendChild(h('h3', null, hex(code)));
      node.appendChild(h('p', null, t('errorsUnknown', hex(code))));
      var system = Native.call('formatMessage', code);
      if (system.ok && typeof system.value === 'string' && system.value.trim()) {
        node.appendChild(h('p', null, t('errorsSystemText', system.value.trim())));
      }
      node.appendChild(h('p', null, t('errorsGeneral')));
      node.appendChild(h('div', { class: 'buttons' },
        Ui.button(t('goRepair'), GO.repair.run, { 'data-go': 'repair' })));
      return;
    }
    var go = GO[entry.go];
    node.appendChild(h('div', { class: 'answer', 'data-answer': hex(code) },
      h('h3', null, hex(code)),
      h('h4', null, t('errorsMeaning')), h('p', null, t(entry.key)),
      h('h4', null, t('errorsWhat')), h('p', null, t(entry.key + 'Fix')),
      h('div', { class: 'buttons' }, Ui.button(t(go.key), go.run,
        { class: 'primary', 'data-go': entry.go }))));
  }
  screen.lookUp = lookUp;

  App.register('errors', 'navErrors', screen);
})();
