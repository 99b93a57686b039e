// The page side of the wizard's window: applies the wizard's commands to the
// document and posts the document's events back. ES5 only, so that old
// browsers run it too.
(function () {
  'use strict';
  var cfg = window.velk;
  var after = 0;
  var overlayClass = 'velk-overlay';
  var answers = { ok: 1, cancel: 2, yes: 6, no: 7 };

  function encode(params) {
    var parts = [];
    for (var name in params) {
      if (params.hasOwnProperty(name)) {
        parts.push(encodeURIComponent(name) + '=' + encodeURIComponent(params[name]));
      }
    }
    return parts.join('&');
  }

  // One event on its way at a time: the browser may send parallel requests
  // over several connections, and a tick that arrived after the Next that
  // followed it would leave its site out.
  var outbox = [];
  var sending = false;

  function sendNext() {
    if (sending || !outbox.length) return;
    sending = true;
    var request = new XMLHttpRequest();
    request.open('POST', cfg.base + 'event', true);
    request.setRequestHeader('Content-Type', 'application/x-www-form-urlencoded');
    request.onreadystatechange = function () {
      if (request.readyState !== 4) return;
      sending = false;
      sendNext();
    };
    request.send(outbox.shift());
  }

  function post(params) {
    params.gen = cfg.gen;
    params.load = cfg.load;
    outbox.push(encode(params));
    sendNext();
  }

  function postWhileLeaving(params) {
    params.gen = cfg.gen;
    params.load = cfg.load;
    var body = encode(params);
    if (navigator.sendBeacon && window.Blob) {
      navigator.sendBeacon(cfg.base + 'event',
        new Blob([body], { type: 'application/x-www-form-urlencoded' }));
      return;
    }
    var request = new XMLHttpRequest();
    request.open('POST', cfg.base + 'event', false);
    request.setRequestHeader('Content-Type', 'application/x-www-form-urlencoded');
    try { request.send(body); } catch (ignored) { /* the window closes anyway */ }
  }

  function byId(id) { return document.getElementById(id); }

  function element(tag, style, text) {
    var node = document.createElement(tag);
    if (style) node.style.cssText = style;
    if (text !== undefined) node.appendChild(document.createTextNode(text));
    return node;
  }

  function insideOverlay(node) {
    for (; node; node = node.parentNode) {
      if (node.className === overlayClass) return true;
    }
    return false;
  }

  function overlay(caption) {
    var cover = element('div', 'position:fixed;left:0;top:0;right:0;bottom:0;z-index:1000;' +
      'background:rgba(0,0,0,0.25);font:13px Tahoma,Arial,sans-serif;');
    cover.className = overlayClass;
    var box = element('div', 'position:absolute;left:50%;top:40%;min-width:320px;max-width:560px;' +
      'transform:translate(-50%,-50%);-ms-transform:translate(-50%,-50%);background:#f0f0f0;' +
      'border:1px solid #707070;box-shadow:0 4px 16px rgba(0,0,0,0.4);');
    box.setAttribute('role', 'dialog');
    box.appendChild(element('div', 'padding:6px 10px;background:#fff;border-bottom:1px solid #ccc;',
      caption));
    cover.appendChild(box);
    document.body.appendChild(cover);
    return { cover: cover, box: box };
  }

  function buttonRow(box, labels, onChoice) {
    var row = element('div', 'padding:10px;text-align:right;background:#e8e8e8;');
    for (var i = 0; i < labels.length; i++) {
      var button = element('button', 'min-width:80px;margin-left:8px;', labels[i].text);
      button.setAttribute('data-answer', labels[i].answer);
      button.onclick = (function (answer) {
        return function () { onChoice(answer); };
      })(labels[i].answer);
      row.appendChild(button);
    }
    box.appendChild(row);
    return row;
  }

  var buttonSets = {
    0: [{ text: 'ОК', answer: answers.ok }],
    1: [{ text: 'ОК', answer: answers.ok }, { text: 'Отмена', answer: answers.cancel }],
    3: [{ text: 'Да', answer: answers.yes }, { text: 'Нет', answer: answers.no },
        { text: 'Отмена', answer: answers.cancel }],
    4: [{ text: 'Да', answer: answers.yes }, { text: 'Нет', answer: answers.no }]
  };
  var icons = {
    16: { mark: '\u00d7', color: '#c42b1c', name: 'error' },
    32: { mark: '?', color: '#1f5fbf', name: 'question' },
    48: { mark: '!', color: '#c88a00', name: 'warning' },
    64: { mark: 'i', color: '#1f5fbf', name: 'information' }
  };

  function showBox(command) {
    var parts = overlay(command.caption);
    parts.cover.setAttribute('data-box', command.box);
    var body = element('div', 'padding:16px 16px 20px 16px;display:table;');
    var icon = icons[command.icon];
    if (icon) {
      var mark = element('div', 'display:table-cell;vertical-align:top;padding-right:14px;',
        undefined);
      var circle = element('span', 'display:inline-block;width:32px;height:32px;' +
        'border-radius:16px;color:#fff;font:bold 22px/32px Arial,sans-serif;text-align:center;' +
        'background:' + icon.color + ';', icon.mark);
      circle.setAttribute('data-icon', icon.name);
      mark.appendChild(circle);
      body.appendChild(mark);
    }
    var text = element('div', 'display:table-cell;vertical-align:middle;white-space:pre-wrap;',
      command.text);
    text.setAttribute('data-text', '');
    body.appendChild(text);
    parts.box.appendChild(body);
    var row = buttonRow(parts.box, buttonSets[command.buttons] || buttonSets[0], function (answer) {
      document.body.removeChild(parts.cover);
      post({ type: 'answer', box: command.box, button: answer });
    });
    row.getElementsByTagName('button')[0].focus();
  }

  function showAbout() {
    var parts = overlay(cfg.aboutCaption);
    var body = element('div', 'padding:16px;line-height:1.6;');
    body.appendChild(element('div', 'font-weight:bold;', cfg.productName));
    body.appendChild(element('div', '', cfg.ownershipLine));
    var link = element('a', '', cfg.linkText);
    link.href = cfg.linkUrl;
    // The about box only names the address; it opens nothing.
    link.onclick = function () { return false; };
    body.appendChild(link);
    parts.box.appendChild(body);
    buttonRow(parts.box, buttonSets[0], function () {
      document.body.removeChild(parts.cover);
    });
  }

  function addAboutItem() {
    var item = element('a', 'position:fixed;right:8px;top:4px;z-index:999;font:11px Tahoma,' +
      'Arial,sans-serif;color:#fff;text-shadow:0 0 2px #000;cursor:pointer;', cfg.aboutItem);
    item.className = overlayClass;
    item.id = 'velk-about';
    item.onclick = function () { showAbout(); return false; };
    document.body.appendChild(item);
  }

  var progress = null;
  function setProgress(command) {
    if (!progress) {
      progress = element('div', 'position:absolute;left:12px;top:240px;width:975px;height:20px;' +
        'border:1px solid #888;background:#e6e6e6;display:none;');
      progress.id = 'velk-progress';
      progress.setAttribute('role', 'progressbar');
      progress.appendChild(element('div', 'height:100%;width:0;background:#06b025;'));
      document.body.appendChild(progress);
    }
    progress.style.display = command.visible ? 'block' : 'none';
    progress.setAttribute('aria-valuenow', command.percent);
    progress.firstChild.style.width = command.percent + '%';
  }

  function apply(command) {
    var target = command.id === undefined ? null : byId(command.id);
    switch (command.op) {
      case 'inner': if (target) target.innerHTML = command.html; break;
      case 'outer': if (target) target.outerHTML = command.html; break;
      case 'text': if (target) target.textContent = command.text; break;
      case 'attr':
        if (target) {
          target.setAttribute(command.name, command.value);
          // A button's caption and a box's tick live in properties once shown.
          if (command.name === 'value') target.value = command.value;
        }
        break;
      case 'ask': cfg.ask = command.value; break;
      case 'progress': setProgress(command); break;
      case 'box': showBox(command); break;
      default: break;
    }
  }

  function applyAll(commands) {
    for (var i = 0; i < commands.length; i++) apply(commands[i]);
  }

  // The next page's template takes the place of the last one's in this
  // document: its title, styles, body attributes and body. The bridge itself,
  // its listeners and the pictures already loaded stay.
  function replacePage(html) {
    var next = new DOMParser().parseFromString(html, 'text/html');
    var head = document.getElementsByTagName('head')[0];
    var old = head.getElementsByTagName('style');
    while (old.length) head.removeChild(old[0]);
    var styles = next.getElementsByTagName('style');
    for (var i = 0; i < styles.length; i++) head.appendChild(document.importNode(styles[i], true));
    document.title = next.title;
    var body = document.body;
    while (body.attributes.length) body.removeAttribute(body.attributes[0].name);
    for (var j = 0; j < next.body.attributes.length; j++) {
      body.setAttribute(next.body.attributes[j].name, next.body.attributes[j].value);
    }
    var content = document.createDocumentFragment();
    for (var node = next.body.firstChild; node; node = node.nextSibling) {
      content.appendChild(document.importNode(node, true));
    }
    progress = null;
    while (body.firstChild) body.removeChild(body.firstChild);
    body.appendChild(content);
    addAboutItem();
  }

  function showNextPage(reply) {
    cfg.gen = reply.gen;
    cfg.ask = reply.ask;
    replacePage(reply.page);
    applyAll(reply.commands);
    post({ type: 'complete' });
  }

  function poll() {
    var request = new XMLHttpRequest();
    request.open('GET', cfg.base + 'commands?gen=' + cfg.gen + '&load=' + cfg.load + '&after=' +
      after, true);
    request.onreadystatechange = function () {
      if (request.readyState !== 4) return;
      if (request.status !== 200) {
        setTimeout(poll, 1000);
        return;
      }
      var reply = JSON.parse(request.responseText);
      if (reply.page !== undefined) showNextPage(reply);
      else applyAll(reply.commands);
      after = reply.next;
      setTimeout(poll, 0);
    };
    request.send(null);
  }

  document.addEventListener('click', function (event) {
    var target = event.target;
    if (!target || insideOverlay(target)) return;
    post({
      type: 'click',
      id: target.id || '',
      tag: (target.tagName || '').toUpperCase(),
      checked: target.checked ? '1' : '0'
    });
  }, false);

  window.onbeforeunload = function (event) {
    if (!cfg.ask) return undefined;
    event.returnValue = cfg.productName;
    return cfg.productName;
  };

  window.addEventListener('pagehide', function () {
    postWhileLeaving({ type: 'closed' });
  }, false);

  // What was sent to this page before it was delivered (a reload's).
  applyAll(cfg.commands);
  after = cfg.next;

  function start() {
    addAboutItem();
    post({ type: 'complete' });
    poll();
  }
  if (document.readyState === 'complete') start();
  else window.addEventListener('load', start, false);
})();
