// The parts of the prebuilt search index, loaded as <script> files when a query needs
// them (fetch is closed to pages opened from disk). Each part calls
// window.__ZD_SEARCH_PART(kind, number, data): kind "t" holds the postings of a range of
// terms, kind "x" the texts of a run of topics.

const pending = new Map(); // "t3" -> { promise, resolve, reject }
const loaded = new Map(); // "t3" -> data

globalThis.__ZD_SEARCH_PART = (kind, n, data) => {
  const key = kind + n;
  loaded.set(key, data);
  const p = pending.get(key);
  if (p) p.resolve(data);
};

// Resolves with the part's data; rejects when its file cannot be loaded.
export function loadPart(kind, n) {
  const key = kind + n;
  if (loaded.has(key)) return Promise.resolve(loaded.get(key));
  let p = pending.get(key);
  if (p) return p.promise;
  p = {};
  p.promise = new Promise((resolve, reject) => {
    p.resolve = resolve;
    p.reject = reject;
  });
  pending.set(key, p);
  const script = document.createElement('script');
  script.src = 'search/' + key + '.js';
  script.async = true;
  script.addEventListener('load', () => {
    script.remove();
    if (!loaded.has(key)) {
      pending.delete(key);
      p.reject(new Error('search part ' + key + ' holds no data'));
    }
  });
  script.addEventListener('error', () => {
    script.remove();
    pending.delete(key);
    p.reject(new Error('search part ' + key + ' could not be loaded'));
  });
  document.head.appendChild(script);
  return p.promise;
}

// A term entry of a "t" part as MiniSearch serialises it: [term, {field: {document: count}}].
// The part writes [term, [field, document, count, document, count...], ...] with each
// document after the first counted from the one before.
export function expandTermEntry(entry) {
  const fields = {};
  for (let f = 1; f < entry.length; f++) {
    const list = entry[f];
    const counts = {};
    let doc = 0;
    for (let i = 1; i + 1 < list.length; i += 2) {
      doc += list[i];
      counts[doc] = list[i + 1];
    }
    fields[list[0]] = counts;
  }
  return [entry[0], fields];
}

// The group of "x" parts holding document number doc (starts: first document of each).
export function textPartOf(starts, doc) {
  let lo = 0;
  let hi = starts.length - 1;
  while (lo < hi) {
    const mid = (lo + hi + 1) >> 1;
    if (starts[mid] <= doc) lo = mid;
    else hi = mid - 1;
  }
  return lo;
}
