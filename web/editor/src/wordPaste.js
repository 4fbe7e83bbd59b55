// Cleans HTML pasted from word processors: conditional comments, Office namespaces,
// mso- styles and Mso classes go; headings, lists, tables, links, bold and italic stay.

const OFFICE_LIST_PARAGRAPH = /^MsoListParagraph/i;

function looksLikeOffice(html) {
  return /class="?Mso|mso-|<o:p|urn:schemas-microsoft-com|<!--\[if|<w:|xmlns:o=/i.test(html);
}

function cleanStyle(style) {
  return style
    .split(';')
    .map((part) => part.trim())
    .filter((part) => part && !/^mso-/i.test(part) && !/^tab-stops\s*:/i.test(part) && !/^font-family\s*:\s*["']?(Symbol|Wingdings)/i.test(part))
    .join('; ');
}

// Word writes list items as paragraphs with an mso-list style and a bullet span.
function listMarkers(p) {
  return Array.from(p.querySelectorAll('span')).filter((s) => /mso-list\s*:\s*ignore/i.test(s.getAttribute('style') || ''));
}

const BULLET_MARKER = /^[\s\u00a0]*[\u00b7\u2022\u25aa\u25cf\u25e6\u00a7o\-\u2013\uf0b7][\s\u00a0]+/;
const NUMBER_MARKER = /^[\s\u00a0]*([0-9]+|[a-z]|[ivxlc]+)[.)][\s\u00a0]+/i;

function firstText(el) {
  const walker = el.ownerDocument.createTreeWalker(el, NodeFilter.SHOW_TEXT);
  for (let t = walker.nextNode(); t; t = walker.nextNode()) if (t.nodeValue.trim()) return t;
  return null;
}

function listTypeOf(p) {
  const marker = listMarkers(p).map((s) => s.textContent).join('') || (firstText(p) || {}).nodeValue || '';
  return NUMBER_MARKER.test(marker) ? 'ol' : 'ul';
}

// The marker text, when the word processor left it in the item (the browser may have
// dropped the styles that marked it): removed across the leading text nodes.
function dropMarkerText(li) {
  const text = li.textContent;
  const m = BULLET_MARKER.exec(text) || NUMBER_MARKER.exec(text);
  let left = m ? m[0].length : 0;
  const walker = li.ownerDocument.createTreeWalker(li, NodeFilter.SHOW_TEXT);
  for (let t = walker.nextNode(); t && left > 0; t = walker.nextNode()) {
    const take = Math.min(left, t.nodeValue.length);
    t.nodeValue = t.nodeValue.slice(take);
    left -= take;
  }
}

function convertOfficeLists(root) {
  const created = new Set();
  for (const p of Array.from(root.querySelectorAll('p'))) {
    const style = p.getAttribute('style') || '';
    if (!/mso-list\s*:\s*l\d+/i.test(style) && !OFFICE_LIST_PARAGRAPH.test(p.className || '')) continue;
    const type = listTypeOf(p);
    let list = p.previousElementSibling;
    if (!list || !created.has(list) || list.tagName.toLowerCase() !== type) {
      list = root.ownerDocument.createElement(type);
      p.parentNode.insertBefore(list, p);
      created.add(list);
    }
    const markers = listMarkers(p);
    markers.forEach((s) => s.remove());
    const li = root.ownerDocument.createElement('li');
    while (p.firstChild) li.appendChild(p.firstChild);
    if (!markers.length) dropMarkerText(li);
    list.appendChild(li);
    p.remove();
  }
}

export function cleanPastedHtml(html) {
  if (!looksLikeOffice(html)) return html;
  let text = html
    .replace(/<!--\[if[\s\S]*?<!\[endif\]-->/gi, '')
    .replace(/<!\[if[^\]]*\]>|<!\[endif\]>/gi, '')
    .replace(/<!--[\s\S]*?-->/g, '')
    .replace(/<xml[\s\S]*?<\/xml>/gi, '')
    .replace(/<style[\s\S]*?<\/style>/gi, '')
    .replace(/<meta[^>]*>|<link[^>]*>/gi, '')
    .replace(/<\/?o:p[^>]*>/gi, '')
    .replace(/<\/?[a-z]+:[a-z]+[^>]*>/gi, '');
  const doc = new DOMParser().parseFromString('<div id="zd-paste">' + text + '</div>', 'text/html');
  const root = doc.getElementById('zd-paste');
  convertOfficeLists(root);
  for (const el of Array.from(root.querySelectorAll('*'))) {
    if (el.hasAttribute('class')) {
      const kept = el.className.split(/\s+/).filter((c) => c && !/^Mso/i.test(c));
      if (kept.length) el.className = kept.join(' ');
      else el.removeAttribute('class');
    }
    if (el.hasAttribute('style')) {
      const style = cleanStyle(el.getAttribute('style'));
      if (style) el.setAttribute('style', style);
      else el.removeAttribute('style');
    }
    for (const attr of ['lang', 'align', 'valign', 'width', 'border', 'cellspacing', 'cellpadding']) {
      if (attr === 'lang' || el.tagName !== 'TABLE') el.removeAttribute(attr);
    }
  }
  // Spans left without attributes only add noise.
  for (const span of Array.from(root.querySelectorAll('span'))) {
    if (!span.attributes.length) span.replaceWith(...span.childNodes);
  }
  return root.innerHTML;
}
