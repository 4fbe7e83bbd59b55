// Words the browser's spell checker must not mark: the project's own word list and the
// reusable-content tokens. Each occurrence is wrapped in a span with spell checking off,
// marked as the engine's own (data-mce-bogus), so the serialiser keeps only the text.

const WORD_CHAR = "[\\p{L}\\p{M}\\p{N}'\u2019]";
const ATTR = 'data-zd-word';

// Reusable-content tokens ({var:Name}, {endcond}) are no words to check either.
const TOKEN = /\{(?:var|snip|begincond):[^{}\s]+\}|\{endcond\}/u;

let words = new Set();
let pattern = new RegExp(TOKEN.source, 'gu');

function escapeRegExp(text) {
  return text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}

// Takes the list the host sends; anything that is not a non-empty string is ignored.
export function setWordList(list) {
  words = new Set((Array.isArray(list) ? list : []).filter((w) => typeof w === 'string' && w.trim()).map((w) => w.trim()));
  const alternatives = [...words].sort((a, b) => b.length - a.length).map(escapeRegExp);
  const listed = alternatives.length ? '|(?<!' + WORD_CHAR + ')(?:' + alternatives.join('|') + ')(?!' + WORD_CHAR + ')' : '';
  pattern = new RegExp(TOKEN.source + listed, 'gu');
}

function exempt(text) {
  return words.has(text) || new RegExp('^(?:' + TOKEN.source + ')$', 'u').test(text);
}

// Where the selection is, kept by node and offset while text nodes are split and moved.
export function saveSelection(win, root) {
  const sel = win.getSelection();
  if (!sel || !sel.anchorNode || !root.contains(sel.anchorNode)) return null;
  return { sel, points: [[sel.anchorNode, sel.anchorOffset], [sel.focusNode, sel.focusOffset]] };
}

export function restoreSelection(saved) {
  if (!saved) return;
  const [[an, ao], [fn, fo]] = saved.points;
  try {
    saved.sel.setBaseAndExtent(an, ao, fn, fo);
  } catch {
    // The node left the document: the engine keeps its own caret.
  }
}

// A text node was split at offset into node and tail: points past the split follow the tail.
function followSplit(saved, node, offset, tail) {
  if (!saved) return;
  for (const point of saved.points) {
    if (point[0] === node && point[1] > offset) {
      point[0] = tail;
      point[1] -= offset;
    }
  }
}

export function followMove(saved, from, to) {
  if (!saved) return;
  for (const point of saved.points) if (point[0] === from) point[0] = to;
}

function unwrapStale(root) {
  let changed = 0;
  for (const span of Array.from(root.querySelectorAll('span[' + ATTR + ']'))) {
    if (exempt(span.textContent)) continue;
    span.replaceWith(...span.childNodes);
    changed++;
  }
  return changed;
}

function wrapText(doc, text, saved) {
  pattern.lastIndex = 0;
  const found = [];
  for (let m; (m = pattern.exec(text.data));) found.push([m.index, m[0].length]);
  // From the end, so earlier offsets stay valid.
  for (let i = found.length - 1; i >= 0; i--) {
    const [start, length] = found[i];
    let word = text;
    if (start > 0) {
      word = text.splitText(start);
      followSplit(saved, text, start, word);
    }
    if (word.data.length > length) {
      const rest = word.splitText(length);
      followSplit(saved, word, length, rest);
    }
    const span = doc.createElement('span');
    span.setAttribute(ATTR, '');
    span.setAttribute('data-mce-bogus', '1');
    span.setAttribute('spellcheck', 'false');
    // A new text node: it carries none of the checker's marks on the old one.
    const fresh = doc.createTextNode(word.data);
    span.appendChild(fresh);
    word.replaceWith(span);
    followMove(saved, word, fresh);
  }
  return found.length;
}

// Wraps every listed word in the editor's body that is not wrapped yet, and unwraps
// spans whose text is no longer a listed word. The caret stays where it was.
export function markProjectWords(editor) {
  if (!editor) return;
  const root = editor.getBody();
  const doc = editor.getDoc();
  const saved = saveSelection(editor.getWin(), root);
  let changed = unwrapStale(root);
  if (pattern) {
    const walker = doc.createTreeWalker(root, NodeFilter.SHOW_TEXT, {
      acceptNode: (n) => (n.parentNode.closest('[' + ATTR + '], [contenteditable="false"], script, style')
        ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_ACCEPT),
    });
    const texts = [];
    for (let t = walker.nextNode(); t; t = walker.nextNode()) {
      pattern.lastIndex = 0;
      if (pattern.test(t.data)) texts.push(t);
    }
    for (const t of texts) changed += wrapText(doc, t, saved);
  }
  if (changed) restoreSelection(saved);
}
