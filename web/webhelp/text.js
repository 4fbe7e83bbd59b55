// Text folding and tokenising shared by the index, the query, the snippets and the
// in-topic highlighting, so that all four agree on what a "term" is.

// Letters that do not decompose into a base letter plus marks.
const SPECIAL_FOLDS = {
  ß: 'ss', ẞ: 'ss', æ: 'ae', Æ: 'ae', œ: 'oe', Œ: 'oe', ø: 'o', Ø: 'o', ł: 'l', Ł: 'l',
  đ: 'd', Đ: 'd', ð: 'd', Ð: 'd', þ: 'th', Þ: 'th', ı: 'i', ŀ: 'l', Ŀ: 'l',
};

const MARK = /\p{M}/u;
const WORD_RUN = /[\p{L}\p{N}\p{M}]+/gu;
// Scripts written without spaces between words: split into single characters and pairs.
// Script extensions, so that marks shared by the scripts (the prolonged sound mark) join the run.
const CJK = /[\p{scx=Han}\p{scx=Hiragana}\p{scx=Katakana}\p{scx=Hangul}]/u;
const CJK_RUN = /[\p{scx=Han}\p{scx=Hiragana}\p{scx=Katakana}\p{scx=Hangul}]+/gu;

const foldCache = new Map();

// One character folded: accents dropped, lower case, compatibility forms unified.
function foldChar(ch) {
  let f = foldCache.get(ch);
  if (f !== undefined) return f;
  if (SPECIAL_FOLDS[ch] !== undefined) {
    f = SPECIAL_FOLDS[ch];
  } else {
    f = '';
    for (const c of ch.normalize('NFKD')) {
      if (!MARK.test(c)) f += c;
    }
    f = f.toLowerCase();
    if (f === '' && !MARK.test(ch)) f = ch.toLowerCase();
  }
  if (foldCache.size < 20000) foldCache.set(ch, f);
  return f;
}

// Folds text for comparing; ASCII goes the fast way.
export function fold(text) {
  // eslint-disable-next-line no-control-regex
  if (/^[\x00-\x7f]*$/.test(text)) return text.toLowerCase();
  let out = '';
  for (const ch of text) out += foldChar(ch);
  return out;
}

// The folded text and, for each of its UTF-16 units, the offset of the source unit it
// came from (plus one final entry for the end), so hits found in the folded text can be
// marked in the original.
export function foldWithMap(text) {
  let folded = '';
  const map = [];
  let i = 0;
  for (const ch of text) {
    const f = foldChar(ch);
    for (let k = 0; k < f.length; k++) map.push(i);
    folded += f;
    i += ch.length;
  }
  map.push(i);
  return { folded, map };
}

function pushCjk(run, out, withSingles) {
  const chars = Array.from(run);
  if (chars.length === 1) {
    out.push(chars[0]);
    return;
  }
  for (let k = 0; k < chars.length; k++) {
    if (withSingles) out.push(chars[k]);
    if (k + 1 < chars.length) out.push(chars[k] + chars[k + 1]);
  }
}

function tokenizeWith(text, withSingles) {
  const out = [];
  if (!text) return out;
  text = String(text);
  // Most pages hold no CJK at all: then the words are the tokens.
  if (!CJK.test(text)) return text.match(WORD_RUN) || out;
  for (const m of text.matchAll(WORD_RUN)) {
    const word = m[0];
    if (!CJK.test(word)) {
      out.push(word);
      continue;
    }
    let last = 0;
    for (const c of word.matchAll(CJK_RUN)) {
      if (c.index > last) out.push(word.slice(last, c.index));
      pushCjk(c[0], out, withSingles);
      last = c.index + c[0].length;
    }
    if (last < word.length) out.push(word.slice(last));
  }
  return out;
}

// Index terms: words, and for CJK every character and every pair of characters.
export function tokenizeForIndex(text) {
  return tokenizeWith(text, true);
}

// Query terms: words, and for CJK the pairs (a single character stands for itself),
// so that every pair of a typed word must be present.
export function tokenizeQuery(text) {
  return tokenizeWith(text, false);
}

export function processTerm(term) {
  const f = fold(term);
  return f.length ? f : null;
}

export function isCjkTerm(term) {
  return CJK.test(term);
}

function isWordChar(ch) {
  return ch !== undefined && /[\p{L}\p{N}\p{M}]/u.test(ch);
}

// Ranges [start, end) in the folded text where one of the (folded) terms occurs. Latin
// terms must start a word; CJK terms may start anywhere.
export function findTermRanges(folded, terms, limit = 1000) {
  const ranges = [];
  const sorted = Array.from(new Set(terms.filter(Boolean))).sort((a, b) => b.length - a.length);
  for (const term of sorted) {
    const anywhere = isCjkTerm(term);
    let from = 0;
    while (ranges.length < limit) {
      const at = folded.indexOf(term, from);
      if (at < 0) break;
      from = at + 1;
      if (!anywhere && isWordChar(folded[at - 1])) continue;
      ranges.push([at, at + term.length]);
    }
  }
  ranges.sort((a, b) => a[0] - b[0] || b[1] - a[1]);
  const merged = [];
  for (const r of ranges) {
    const last = merged[merged.length - 1];
    if (last && r[0] <= last[1]) last[1] = Math.max(last[1], r[1]);
    else merged.push(r.slice());
  }
  return merged;
}

// Extends a hit to the end of its word, so a prefix match marks the whole word.
export function extendToWordEnd(folded, range) {
  let end = range[1];
  if (isCjkTerm(folded.slice(range[0], range[1]))) return range;
  while (end < folded.length && isWordChar(folded[end])) end++;
  return [range[0], end];
}

export function escapeHtml(s) {
  return String(s).replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);
}

// A short piece of text around the first hit, with every hit in it marked.
export function makeSnippet(text, terms, width = 160) {
  text = text || '';
  const { folded, map } = foldWithMap(text);
  const ranges = findTermRanges(folded, terms, 200).map((r) => extendToWordEnd(folded, r));
  if (!ranges.length) {
    const head = text.slice(0, width);
    return escapeHtml(head) + (text.length > width ? '\u2026' : '');
  }
  const firstHit = map[ranges[0][0]];
  let start = Math.max(0, firstHit - Math.floor(width / 3));
  if (start > 0) {
    const space = text.indexOf(' ', start);
    if (space >= 0 && space < firstHit) start = space + 1;
  }
  let end = Math.min(text.length, start + width);
  if (end < text.length) {
    const space = text.lastIndexOf(' ', end);
    if (space > firstHit) end = space;
  }
  let html = start > 0 ? '\u2026' : '';
  let pos = start;
  for (const r of ranges) {
    const a = map[r[0]];
    const b = map[r[1]];
    if (a < pos || b > end) continue;
    html += escapeHtml(text.slice(pos, a)) + '<mark>' + escapeHtml(text.slice(a, b)) + '</mark>';
    pos = b;
  }
  html += escapeHtml(text.slice(pos, end));
  if (end < text.length) html += '\u2026';
  return html;
}
