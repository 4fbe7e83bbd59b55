// Full-text search with MiniSearch: the index is built in short slices between frames,
// so the page stays responsive while a large site is indexed, and results appear as
// the reader types.
import MiniSearch from 'minisearch';
import { tokenizeForIndex, tokenizeQuery, processTerm, isCjkTerm, makeSnippet, escapeHtml } from './text.js';

const MAX_RESULTS = 50;
const SLICE_MS = 12;

function fuzzyFor(term) {
  if (isCjkTerm(term) || term.length < 4) return false;
  return term.length < 7 ? 1 : 0.2;
}

// Pages usually repeat their title as a heading; the snippet starts after it.
function withoutLeadingTitle(doc) {
  const title = doc.title.trim();
  if (title && doc.text.startsWith(title) && doc.text.length > title.length) return doc.text.slice(title.length).trimStart();
  return doc.text;
}

export function createSearch({ input, results, status, tocList, onOpen, onResultsShown }) {
  let mini = null;
  let ready = false;
  let entries = new Map();
  let hits = [];
  let active = -1;
  let timer = 0;

  const options = {
    idField: 'id',
    fields: ['title', 'keywords', 'text'],
    storeFields: [],
    tokenize: (text) => tokenizeForIndex(text),
    processTerm,
    searchOptions: {
      boost: { title: 4, keywords: 3, text: 1 },
      prefix: (term) => term.length > 1 || isCjkTerm(term),
      fuzzy: fuzzyFor,
      tokenize: (text) => tokenizeQuery(text),
      processTerm,
    },
  };

  function setStatus(text) {
    status.textContent = text;
  }

  function build(topics) {
    mini = new MiniSearch(options);
    entries = new Map();
    const docs = [];
    for (const t of topics) {
      if (!t || typeof t.id !== 'string' || entries.has(t.id)) continue;
      const doc = {
        id: t.id,
        title: String(t.title ?? ''),
        keywords: String(t.keywords ?? ''),
        text: String(t.text ?? ''),
        file: String(t.file ?? 'topics/' + t.id + '.html'),
      };
      entries.set(t.id, doc);
      docs.push(doc);
    }
    let i = 0;
    const total = docs.length;
    const step = () => {
      const until = performance.now() + SLICE_MS;
      while (i < total && performance.now() < until) mini.add(docs[i++]);
      if (i < total) {
        if (total > 500) setStatus('Preparing search\u2026 ' + Math.floor((i * 100) / total) + '%');
        setTimeout(step, 0);
        return;
      }
      ready = true;
      setStatus('');
      input.dataset.ready = 'true';
      if (input.value.trim()) run();
    };
    step();
  }

  function unavailable() {
    setStatus('Search is not available');
    input.disabled = true;
  }

  function query(text) {
    let found = mini.search(text, { combineWith: 'AND' });
    if (!found.length) found = mini.search(text, { combineWith: 'OR' });
    return found.slice(0, MAX_RESULTS);
  }

  function showResults(show) {
    results.hidden = !show;
    tocList.hidden = show;
    input.setAttribute('aria-expanded', String(show));
    if (show && onResultsShown) onResultsShown();
  }

  function run() {
    const text = input.value.trim();
    if (!text) {
      hits = [];
      active = -1;
      results.textContent = '';
      showResults(false);
      return;
    }
    showResults(true);
    if (!ready) {
      results.innerHTML = '<p class="zd-note">Preparing search\u2026</p>';
      return;
    }
    hits = query(text);
    active = -1;
    render(text);
  }

  function render(text) {
    if (!hits.length) {
      results.innerHTML = '<p class="zd-note">No topics found for \u201c' + escapeHtml(text) + '\u201d.</p>';
      return;
    }
    const html = [];
    hits.forEach((hit, i) => {
      const doc = entries.get(hit.id);
      const terms = hit.terms;
      const title = makeSnippet(doc.title, terms, 200);
      const snippet = makeSnippet(withoutLeadingTitle(doc), terms);
      html.push(
        '<a class="zd-hit" role="option" id="zd-hit-' + i + '" aria-selected="false" data-index="' + i +
          '" href="#' + escapeHtml(encodeURIComponent(hit.id)) + '">' +
          '<span class="zd-hit-title">' + title + '</span>' +
          '<span class="zd-hit-text">' + snippet + '</span></a>',
      );
    });
    results.innerHTML = '<p class="zd-note">' + hits.length + (hits.length === MAX_RESULTS ? '+' : '') +
      (hits.length === 1 ? ' topic' : ' topics') + '</p>' + html.join('');
  }

  function setActive(i) {
    const all = results.querySelectorAll('.zd-hit');
    if (!all.length) return;
    active = (i + all.length) % all.length;
    all.forEach((el, k) => el.setAttribute('aria-selected', String(k === active)));
    all[active].scrollIntoView({ block: 'nearest' });
    input.setAttribute('aria-activedescendant', all[active].id);
  }

  function open(i) {
    const hit = hits[i];
    if (!hit) return;
    setActive(i);
    onOpen(hit.id, hit.terms);
  }

  input.addEventListener('input', () => {
    clearTimeout(timer);
    timer = setTimeout(run, entries.size > 2000 ? 120 : 40);
  });
  input.addEventListener('keydown', (e) => {
    if (e.key === 'ArrowDown') {
      e.preventDefault();
      setActive(active + 1);
    } else if (e.key === 'ArrowUp') {
      e.preventDefault();
      setActive(active - 1);
    } else if (e.key === 'Enter') {
      e.preventDefault();
      clearTimeout(timer);
      if (ready && !hits.length) run();
      open(active >= 0 ? active : 0);
    } else if (e.key === 'Escape') {
      input.value = '';
      run();
    }
  });
  results.addEventListener('click', (e) => {
    const a = e.target.closest('.zd-hit');
    if (!a) return;
    e.preventDefault();
    open(Number(a.dataset.index));
  });
  results.addEventListener('keydown', (e) => {
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      setActive(active + (e.key === 'ArrowDown' ? 1 : -1));
      results.querySelectorAll('.zd-hit')[active].focus();
    }
  });

  return { build, unavailable, isReady: () => ready };
}
