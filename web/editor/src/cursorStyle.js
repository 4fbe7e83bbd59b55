// The formatting at the caret, as the host's toolbar shows it.
import { describeSelectedImage } from './imageProperties.js';

function toHex(color) {
  const m = /^rgba?\(\s*(\d+)[\s,]+(\d+)[\s,]+(\d+)(?:[\s,/]+([\d.]+%?))?\s*\)$/i.exec(color || '');
  if (!m) return '';
  if (m[4] !== undefined && parseFloat(m[4]) === 0) return '';
  return '#' + [m[1], m[2], m[3]].map((v) => Number(v).toString(16).padStart(2, '0')).join('');
}

function firstFamily(family) {
  const first = (family || '').split(',')[0] || '';
  return first.trim().replace(/^["']|["']$/g, '');
}

function alignWord(textAlign) {
  switch (textAlign) {
    case 'center': return 'center';
    case 'right':
    case 'end': return 'right';
    case 'justify': return 'justify';
    default: return 'left';
  }
}

function closest(node, root, test) {
  for (let n = node; n && n !== root; n = n.parentNode) {
    if (n.nodeType === 1 && test(n)) return n;
  }
  return null;
}

const BLOCKS = /^(P|H[1-6]|LI|DIV|PRE|BLOCKQUOTE|TD|TH|ADDRESS|DT|DD|FIGCAPTION|CAPTION)$/;

// A line height as a factor of the block's font size.
function lineHeightOf(block, computed) {
  for (let n = block; n && n.nodeType === 1; n = n.parentNode) {
    const own = n.style && n.style.lineHeight;
    if (own) {
      if (/^[\d.]+$/.test(own)) return own;
      if (/%$/.test(own)) return String(parseFloat(own) / 100);
      break;
    }
    if (n.classList && (n.classList.contains('zd-body') || n.classList.contains('zd-header'))) break;
  }
  const lh = computed.lineHeight;
  if (!lh || lh === 'normal') return '';
  // The browser gives pixels; the factor is that of the block's own font size. Left to the
  // host, it would divide by the caret's size, and a larger word in a 1.5 paragraph
  // would show 1.2. Two decimals: 1.15 of 16 px is 18.4px and must read back as 1.15.
  const px = parseFloat(lh);
  const font = parseFloat(computed.fontSize);
  if (!(font > 0)) return Math.round(px * 100) / 100 + 'px';
  return String(Math.round((px / font) * 100) / 100);
}

// The last node of node's subtree in document order.
function lastDescendant(node) {
  let last = node;
  while (last.lastChild) last = last.lastChild;
  return last;
}

// The first text inside the range that shows something, or null. A selection starts
// between blocks or at the end of a text more often than not (select all, Shift+Down).
function firstSelectedText(rng, root) {
  const walker = root.ownerDocument.createTreeWalker(root, NodeFilter.SHOW_TEXT);
  const start = rng.startContainer;
  let first;
  if (start.nodeType === 3) {
    first = start;
  } else if (start.childNodes[rng.startOffset]) {
    walker.currentNode = start.childNodes[rng.startOffset];
    first = walker.currentNode.nodeType === 3 ? walker.currentNode : walker.nextNode();
  } else {
    walker.currentNode = lastDescendant(start);
    first = walker.nextNode();
  }
  if (first) walker.currentNode = first;
  for (let t = first; t; t = walker.nextNode()) {
    if (t === rng.endContainer ? rng.endOffset === 0 : rng.comparePoint(t, 0) > 0) return null;
    const from = t === start ? rng.startOffset : 0;
    const to = t === rng.endContainer ? rng.endOffset : t.length;
    if (t.data.slice(from, to).trim() !== '') return t;
  }
  return null;
}

// The element whose formatting the toolbar shows: the caret's, or for a selection that
// of its first text, where a Bold or Italic toggle decides to add or remove.
function styleNode(editor, root) {
  const selection = editor.selection;
  if (!selection.isCollapsed()) {
    const text = firstSelectedText(selection.getRng(), root);
    if (text) return text.parentNode;
  }
  let node = selection.getNode() || root;
  if (node.nodeType !== 1) node = node.parentNode;
  return node;
}

export function computeCursorStyle(editor, area) {
  const root = editor.getBody();
  const node = styleNode(editor, root);
  const win = root.ownerDocument.defaultView;
  const cs = win.getComputedStyle(node);
  const block = closest(node, root, (n) => BLOCKS.test(n.nodeName)) || root;
  const blockStyle = win.getComputedStyle(block);
  const list = closest(node, root, (n) => n.nodeName === 'UL' || n.nodeName === 'OL');
  const underlined = !!closest(node, root.parentNode, (n) => /underline/.test(win.getComputedStyle(n).textDecorationLine));
  const backNode = closest(node, root, (n) => toHex(win.getComputedStyle(n).backgroundColor) !== '');
  const link = closest(node, root, (n) => n.nodeName === 'A' && n.hasAttribute('href'));
  return {
    type: 'cursorStyle',
    area,
    fontName: firstFamily(cs.fontFamily),
    fontSizePx: Math.round(parseFloat(cs.fontSize) || 0),
    textColor: toHex(cs.color),
    backColor: backNode ? toHex(win.getComputedStyle(backNode).backgroundColor) : '',
    align: alignWord(blockStyle.textAlign),
    bold: (parseInt(cs.fontWeight, 10) || 400) >= 600,
    italic: cs.fontStyle === 'italic' || cs.fontStyle === 'oblique',
    underline: underlined,
    listType: list ? list.nodeName.toLowerCase() : '',
    blockTag: block === root ? 'p' : block.nodeName.toLowerCase(),
    lineHeight: lineHeightOf(block, blockStyle),
    linkHref: link ? link.getAttribute('data-mce-href') || link.getAttribute('href') : '',
    image: describeSelectedImage(editor),
  };
}
