// Large topics move in and out of the page with the browser's own parser and
// serialiser: the editing engine's HTML pipeline takes seconds on a 200 KB topic.

const PARKED_PREFIX = 'data-zd-parked-';

// Event-handler attributes would run inside the editor: they are parked under another
// name while the topic is edited and given back when it is serialised.
function parkHandlers(el) {
  for (const attr of Array.from(el.attributes)) {
    if (/^on/i.test(attr.name)) {
      el.setAttribute(PARKED_PREFIX + attr.name.toLowerCase(), attr.value);
      el.removeAttribute(attr.name);
    }
  }
}

const HANDLER_ATTRIBUTE = /<[^>]*\son[a-z]+\s*=/i;

// Parks event-handler attributes before the HTML reaches a live document (inside an
// inert template nothing loads and nothing runs). Most topics have none: they pass as they are.
export function parkHandlersInHtml(html) {
  if (!HANDLER_ATTRIBUTE.test(html)) return html;
  const template = document.createElement('template');
  template.innerHTML = html;
  for (const el of template.content.querySelectorAll('*')) if (el.attributes.length) parkHandlers(el);
  return template.innerHTML;
}

// Empty blocks get a placeholder line break so the caret can enter them.
export function padEmptyBlocks(root) {
  for (const el of root.querySelectorAll('p, h1, h2, h3, h4, h5, h6, li, td, th, pre, blockquote, dt, dd')) {
    if (!el.firstChild) {
      const br = el.ownerDocument.createElement('br');
      br.setAttribute('data-mce-bogus', '1');
      el.appendChild(br);
    }
  }
}

function cleanElement(el) {
  const names = el.getAttributeNames();
  if (names.length === 0) return;
  for (const name of names) {
    if (name === 'data-mce-style' || name === 'data-mce-href' || name === 'data-mce-src') {
      el.setAttribute(name.slice(9), el.getAttribute(name));
      el.removeAttribute(name);
    } else if (name.startsWith('data-mce-')) {
      el.removeAttribute(name);
    } else if (name.startsWith(PARKED_PREFIX)) {
      el.setAttribute(name.slice(PARKED_PREFIX.length), el.getAttribute(name));
      el.removeAttribute(name);
    }
  }
  if (el.classList.length) {
    for (const c of Array.from(el.classList)) if (c.startsWith('mce-')) el.classList.remove(c);
    if (!el.classList.length) el.removeAttribute('class');
  }
}

// The edited area's HTML without the engine's markers, caret characters and placeholders.
let inertDocument = null;

export function serializeEditable(root) {
  // Copied into a document without a window: restored handlers and pictures stay inert.
  inertDocument = inertDocument || document.implementation.createHTMLDocument('');
  const clone = inertDocument.importNode(root, true);
  clone.querySelectorAll('[data-mce-bogus="all"], [data-mce-type="bookmark"], #mce_marker').forEach((n) => n.remove());
  clone.querySelectorAll('[data-mce-bogus]').forEach((n) => {
    if (n.nodeName === 'BR') n.remove();
    else n.replaceWith(...n.childNodes);
  });
  for (const el of clone.querySelectorAll('*')) cleanElement(el);
  const walker = inertDocument.createTreeWalker(clone, NodeFilter.SHOW_TEXT);
  for (let t = walker.nextNode(); t; t = walker.nextNode()) {
    if (t.nodeValue.indexOf('\uFEFF') >= 0) t.nodeValue = t.nodeValue.replace(/\uFEFF/g, '');
  }
  return clone.innerHTML;
}
