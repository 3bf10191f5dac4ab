// Small shared pieces of the screens: element building, messages, progress, confirmation.
(function () {
  'use strict';
  var t = window.Texts.t;

  // h('button', {class: 'x', onclick: f}, 'text', child, ...)
  function h(tag, attrs) {
    var node = document.createElement(tag);
    if (attrs) {
      Object.keys(attrs).forEach(function (key) {
        var value = attrs[key];
        if (value === undefined || value === null || value === false) return;
        if (key.indexOf('on') === 0 && typeof value === 'function') {
          node.addEventListener(key.slice(2), value);
        } else if (key === 'class') {
          node.className = value;
        } else if (key === 'text') {
          node.textContent = value;
        } else {
          node.setAttribute(key, value === true ? '' : value);
        }
      });
    }
    for (var i = 2; i < arguments.length; i++) append(node, arguments[i]);
    return node;
  }

  function append(node, child) {
    if (child === undefined || child === null || child === false) return;
    if (Array.isArray(child)) {
      child.forEach(function (c) { append(node, c); });
    } else if (typeof child === 'string' || typeof child === 'number') {
      node.appendChild(document.createTextNode(String(child)));
    } else {
      node.appendChild(child);
    }
  }

  function clear(node) {
    while (node.firstChild) node.removeChild(node.firstChild);
    return node;
  }

  // A message line: kind is 'info', 'ok', 'warn' or 'error'. An empty text hides it.
  function message(node, kind, text) {
    node.className = 'message ' + (kind || 'info');
    node.textContent = text || '';
    node.hidden = !text;
  }

  function messageLine() {
    var node = h('p', { class: 'message', role: 'status', 'aria-live': 'polite' });
    node.hidden = true;
    return node;
  }

  function progressBar(percent) {
    var bar = h('div', { class: 'progress', role: 'progressbar', 'aria-valuemin': '0',
      'aria-valuemax': '100', 'aria-valuenow': String(percent) });
    bar.appendChild(h('div', { class: 'progress-fill', style: 'width:' + percent + '%' }));
    return bar;
  }

  function badge(kind, text) {
    return h('span', { class: 'badge ' + kind }, text);
  }

  function button(text, onclick, attrs) {
    var a = attrs || {};
    a.type = 'button';
    a.onclick = onclick;
    return h('button', a, text);
  }

  // An in-page confirmation (keyboard: Enter confirms, Escape cancels). Lines is a text or a
  // list of texts and elements.
  var open = null;
  function confirm(lines, onYes, yesText) {
    closeConfirm();
    var previous = document.activeElement;
    var yes = button(yesText || t('confirm'), function () { closeConfirm(); onYes(); },
      { class: 'primary', 'data-confirm': 'yes' });
    var no = button(t('cancel'), closeConfirm, { 'data-confirm': 'no' });
    var body = h('div', { class: 'dialog-body', id: 'dialog-text' },
      (Array.isArray(lines) ? lines : [lines]).map(function (l) {
        return typeof l === 'string' ? h('p', null, l) : l;
      }));
    var dialog = h('div', { class: 'dialog', role: 'alertdialog', 'aria-modal': 'true',
      'aria-describedby': 'dialog-text' }, body, h('div', { class: 'dialog-buttons' }, yes, no));
    var overlay = h('div', { class: 'overlay', id: 'confirm' }, dialog);
    overlay.addEventListener('keydown', function (e) {
      if (e.key === 'Escape') { e.preventDefault(); closeConfirm(); }
      if (e.key === 'Tab') {  // keep the focus inside the dialog
        e.preventDefault();
        (document.activeElement === yes ? no : yes).focus();
      }
    });
    document.body.appendChild(overlay);
    open = { overlay: overlay, previous: previous };
    no.focus();
  }

  function closeConfirm() {
    if (!open) return;
    open.overlay.parentNode.removeChild(open.overlay);
    if (open.previous && open.previous.focus) open.previous.focus();
    open = null;
  }

  function section(title, intro) {
    return h('section', { class: 'card' }, h('h2', null, title),
      intro ? h('p', { class: 'intro' }, intro) : null);
  }

  window.Ui = {
    h: h,
    clear: clear,
    message: message,
    messageLine: messageLine,
    progressBar: progressBar,
    badge: badge,
    button: button,
    confirm: confirm,
    closeConfirm: closeConfirm,
    section: section
  };
})();
