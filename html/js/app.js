// The page's frame: language, title bar, screen switching and the state the screens share.
(function () {
  'use strict';
  var Texts = window.Texts;
  var t = Texts.t;
  var Native = window.Native;
  var Ui = window.Ui;

  var TITLE_BAR_HEIGHT = 40;
  var LANGUAGE_KEY = 'corvanta.language';

  var screens = [];     // in navigation order: { id, navKey, screen }
  var current = null;

  var App = {
    printers: [],       // the installed queues and connections (records of enumPrinters)
    printersLoaded: false,
    printerCount: null, // the count the program last published
    errors: [],         // page errors, also shown to the user

    register: function (id, navKey, screen) {
      screens.push({ id: id, navKey: navKey, screen: screen });
    },
    screen: function (id) {
      for (var i = 0; i < screens.length; i++) if (screens[i].id === id) return screens[i].screen;
      return null;
    },
    show: show,
    renderAll: renderAll,
    setLanguage: setLanguage,
    reportError: reportError,
    // Keeps a screen's handler from breaking the page: a failure becomes a message.
    guard: function (fn) {
      return function () {
        try {
          return fn.apply(this, arguments);
        } catch (e) {
          reportError(e);
          return undefined;
        }
      };
    }
  };
  window.App = App;

  function reportError(e) {
    var text = String(e && e.message || e);
    App.errors.push(text);
    var line = document.getElementById('page-error');
    if (line) Ui.message(line, 'error', t('pageError', text));
  }

  function chooseLanguage() {
    var stored = null;
    try { stored = window.localStorage.getItem(LANGUAGE_KEY); } catch (e) { stored = null; }
    if (stored === 'zh' || stored === 'en') return stored;
    var id = Native.call('getUserDefaultUILanguage');
    if (id.ok && typeof id.value === 'number') return Texts.languageForId(id.value);
    return 'zh';
  }

  function setLanguage(lang) {
    Texts.setLanguage(lang);
    try { window.localStorage.setItem(LANGUAGE_KEY, lang); } catch (e) { /* no storage */ }
    renderAll();
  }

  function buildFrame() {
    var bar = document.getElementById('titlebar');
    var nav = document.getElementById('nav');
    Ui.clear(bar);
    Ui.clear(nav);
    document.documentElement.lang = Texts.language === 'zh' ? 'zh-CN' : 'en';
    document.title = t('appName') + ' - ' + t('appTagline');
    bar.appendChild(Ui.h('div', { class: 'brand' },
      Ui.h('span', { class: 'logo', 'aria-hidden': 'true' }),
      Ui.h('span', { class: 'brand-name' }, t('appName')),
      Ui.h('span', { class: 'brand-tag' }, t('appTagline'))));
    bar.appendChild(Ui.h('div', { class: 'window-buttons', id: 'window-buttons' },
      Ui.button(t('switchLanguage'), function () {
        setLanguage(Texts.language === 'zh' ? 'en' : 'zh');
      }, { class: 'lang', id: 'lang', title: t('switchLanguageTitle') }),
      Ui.button('\u2013', minimise, { class: 'win', id: 'minimise', title: t('minimise'),
        'aria-label': t('minimise') }),
      Ui.button('\u00d7', closeWindow, { class: 'win close', id: 'close', title: t('close'),
        'aria-label': t('close') })));

    screens.forEach(function (s, index) {
      nav.appendChild(Ui.button(t(s.navKey), function () { show(s.id); }, {
        id: 'nav-' + s.id, role: 'tab', 'aria-controls': 'screen-' + s.id,
        'aria-selected': s.id === current ? 'true' : 'false',
        tabindex: s.id === current ? '0' : '-1',
        'data-index': String(index)
      }));
    });
  }

  // Arrow keys move between the navigation entries, as in any tab list.
  function navKeys(e) {
    var keys = { ArrowDown: 1, ArrowRight: 1, ArrowUp: -1, ArrowLeft: -1 };
    if (!(e.key in keys) || !e.target.hasAttribute('data-index')) return;
    e.preventDefault();
    var index = (Number(e.target.getAttribute('data-index')) + keys[e.key] + screens.length) %
      screens.length;
    show(screens[index].id);
    document.getElementById('nav-' + screens[index].id).focus();
  }

  function show(id) {
    current = id;
    screens.forEach(function (s) {
      var node = document.getElementById('screen-' + s.id);
      node.hidden = s.id !== id;
      var tab = document.getElementById('nav-' + s.id);
      if (tab) {
        tab.setAttribute('aria-selected', s.id === id ? 'true' : 'false');
        tab.setAttribute('tabindex', s.id === id ? '0' : '-1');
      }
    });
    var screen = App.screen(id);
    if (screen && screen.shown) App.guard(screen.shown).call(screen);
    document.getElementById('content').scrollTop = 0;
  }

  function renderAll() {
    buildFrame();
    screens.forEach(function (s) {
      var node = document.getElementById('screen-' + s.id);
      Ui.clear(node);
      App.guard(s.screen.build).call(s.screen, node);
    });
    show(current || screens[0].id);
    updateDragArea();
  }

  function minimise() {
    var r = Native.call('closeWindow', Native.windowHandle());  // minimises the window
    if (!r.ok) reportError(Native.failureText(t('minimise'), r));
  }

  // The system close command, so that the program saves its settings and ends its scans.
  function closeWindow() {
    var r = Native.call('sendMessage', Native.windowHandle(), 0x0112 /* WM_SYSCOMMAND */,
      0xF060 /* SC_CLOSE */, 0);
    if (!r.ok) {
      r = Native.call('showWindow', Native.windowHandle(), 0);
      if (!r.ok) window.close();
    }
  }

  // The window drags by the title bar, except where its buttons are.
  var dragTries = 0;
  function updateDragArea() {
    if (!Native.windowHandle()) {
      // The handle is published after the page has loaded; try again shortly.
      if (dragTries++ < 50) window.setTimeout(updateDragArea, 200);
      return;
    }
    var buttons = document.getElementById('window-buttons');
    var width = buttons ? Math.floor(buttons.getBoundingClientRect().left) : window.innerWidth;
    Native.call('setDragRect', 0, Native.windowHandle(), 0, 0, width, TITLE_BAR_HEIGHT);
  }

  function start() {
    Texts.setLanguage(chooseLanguage());
    current = screens[0].id;
    document.getElementById('nav').addEventListener('keydown', navKeys);
    window.addEventListener('resize', updateDragArea);
    window.addEventListener('error', function (e) { reportError(e.message || e.error); });
    renderAll();
    screens.forEach(function (s) {
      if (s.screen.start) App.guard(s.screen.start).call(s.screen);
    });
  }

  document.addEventListener('DOMContentLoaded', App.guard(start));
})();
