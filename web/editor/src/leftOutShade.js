// Greys the text a build profile leaves out: whatever lies between {begincond:Name} and its
// {endcond} while Name is off. The marks are the engine's own (data-mce-bogus), so the
// topic's HTML stays as it is.
import { saveSelection, restoreSelection, followMove } from './projectWords.js';

const MARK = 'data-zd-left-out';
const BEGIN = /^\{begincond:([^{}\s]+)\}$/u;
const END = /^\{endcond(?::[^{}\s]+)?\}$/u;

// null: nothing is greyed. Otherwise the names of the conditions that are on, lower case.
let onNames = null;

export function setLeftOutConditions(active, names) {
  onNames = active ? new Set((Array.isArray(names) ? names : []).filter((n) => typeof n === 'string').map((n) => n.toLowerCase())) : null;
}

function unmark(root) {
  let changed = 0;
  for (const span of Array.from(root.querySelectorAll('span[' + MARK + ']'))) {
    span.replaceWith(...span.childNodes);
    changed++;
  }
  for (const el of Array.from(root.querySelectorAll('[data-mce-zd-left-out]'))) el.removeAttribute('data-mce-zd-left-out');
  return changed;
}

// The text nodes and pictures inside conditions that are off, in document order.
function leftOutNodes(doc, root) {
  const open = [];
  const found = [];
  const walker = doc.createTreeWalker(root, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
  for (let n = walker.nextNode(); n; n = walker.nextNode()) {
    if (n.nodeType === Node.ELEMENT_NODE) {
      if (n.nodeName === 'IMG' && open.some((o) => !o)) found.push(n);
      continue;
    }
    const text = n.data.trim();
    const begin = BEGIN.exec(text);
    if (begin) {
      open.push(onNames.has(begin[1].toLowerCase()));
    } else if (END.test(text)) {
      open.pop();
    } else if (open.some((on) => !on) && n.data.length) {
      found.push(n);
    }
  }
  return found;
}

// Re-marks the editor's body; the caret stays where it was.
export function shadeLeftOut(editor) {
  if (!editor) return;
  const root = editor.getBody();
  const doc = editor.getDoc();
  const saved = saveSelection(editor.getWin(), root);
  let changed = unmark(root);
  if (onNames) {
    for (const node of leftOutNodes(doc, root)) {
      if (node.nodeType === Node.ELEMENT_NODE) {
        node.setAttribute('data-mce-zd-left-out', '');
        continue;
      }
      const span = doc.createElement('span');
      span.setAttribute(MARK, '');
      span.setAttribute('data-mce-bogus', '1');
      const fresh = doc.createTextNode(node.data);
      span.appendChild(fresh);
      node.replaceWith(span);
      followMove(saved, node, fresh);
      changed++;
    }
  }
  if (changed) restoreSelection(saved);
}
