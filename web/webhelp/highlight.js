// Marks search terms in a topic page. Only possible when the page is same-origin with
// the viewer (served over HTTP); pages opened from disk are left as they are.
import { foldWithMap, findTermRanges, extendToWordEnd } from './text.js';

const MARK_CLASS = 'zd-search-hit';
const MARK_STYLE = 'background:#ffe066;color:inherit;border-radius:2px;padding:0 1px;';

export function clearHighlights(doc) {
  for (const mark of Array.from(doc.querySelectorAll('mark.' + MARK_CLASS))) {
    const parent = mark.parentNode;
    parent.replaceChild(doc.createTextNode(mark.textContent), mark);
    parent.normalize();
  }
}

// Returns the first mark, or null when nothing was found.
export function highlightInDocument(doc, terms, limit = 500) {
  const root = doc.body;
  if (!root) return null;
  const walker = doc.createTreeWalker(root, NodeFilter.SHOW_TEXT, {
    acceptNode(node) {
      const tag = node.parentNode && node.parentNode.nodeName;
      if (tag === 'SCRIPT' || tag === 'STYLE' || tag === 'NOSCRIPT') return NodeFilter.FILTER_REJECT;
      return node.nodeValue.trim() ? NodeFilter.FILTER_ACCEPT : NodeFilter.FILTER_REJECT;
    },
  });
  const textNodes = [];
  for (let n = walker.nextNode(); n; n = walker.nextNode()) textNodes.push(n);
  let first = null;
  let count = 0;
  for (const node of textNodes) {
    if (count >= limit) break;
    const text = node.nodeValue;
    const { folded, map } = foldWithMap(text);
    const ranges = findTermRanges(folded, terms, limit - count).map((r) => extendToWordEnd(folded, r));
    if (!ranges.length) continue;
    const frag = doc.createDocumentFragment();
    let pos = 0;
    for (const r of ranges) {
      const a = map[r[0]];
      const b = map[r[1]];
      if (a < pos) continue;
      if (a > pos) frag.appendChild(doc.createTextNode(text.slice(pos, a)));
      const mark = doc.createElement('mark');
      mark.className = MARK_CLASS;
      mark.setAttribute('style', MARK_STYLE);
      mark.textContent = text.slice(a, b);
      frag.appendChild(mark);
      if (!first) first = mark;
      pos = b;
      count++;
    }
    if (pos < text.length) frag.appendChild(doc.createTextNode(text.slice(pos)));
    node.parentNode.replaceChild(frag, node);
  }
  return first;
}
