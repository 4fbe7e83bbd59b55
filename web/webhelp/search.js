// Full-text search with MiniSearch over the export's prebuilt index. Only its document
// table and term list load with the page; a query loads the postings of the terms it can
// match (prefix and typo-tolerant, by MiniSearch's own rules run over the term list),
// and the snippets load the texts of the topics shown.
import MiniSearch from 'minisearch';
import { makeSnippet, escapeHtml } from './text.js';
import { FIELDS, OPTIONS, QUERY_OPTIONS } from './searchoptions.js';
import { loadPart, expandTermEntry, textPartOf } from './searchdata.js';
import { buildTermList, matchTerms } from './termparts.js';
import { setShown } from './tabs.js';

const MAX_RESULTS = 50;
// Postings above which a query's index is read in slices, so that the page keeps answering.
const LARGE_QUERY = 4000;

// Lets the browser paint and take input between two steps of a long job.
const nextTask = () => new Promise((resolve) => setTimeout(resolve, 0));

// Pages usually repeat their title as a heading; the snippet starts after it.
function withoutLeadingTitle(title, text) {
  title = title.trim();
  if (title && text.startsWith(title) && text.length > title.length) return text.slice(title.length).trimStart();
  return text;
}

// MiniSearch's serialised form around a set of term entries.
function serialised(count, documentIds, fieldIds, fieldLength, averageFieldLength, index) {
  return {
    documentCount: count,
    nextId: count,
    documentIds,
    fieldIds,
    fieldLength,
    averageFieldLength,
    storedFields: {},
    dirtCount: 0,
    index,
    serializationVersion: 2,
  };
}

// The index as the export wrote it, or null when it is not one.
function checkedIndex(data) {
  if (!data || !Array.isArray(data.ids) || !Array.isArray(data.titles) || !Array.isArray(data.lengths)) return null;
  if (!Array.isArray(data.terms) || !Array.isArray(data.texts) || !Array.isArray(data.averageFieldLength)) return null;
  if (data.titles.length !== data.ids.length || data.lengths.length !== data.ids.length * FIELDS.length) return null;
  return data;
}

export function createSearch({ input, results, status, browse, onOpen, onResultsShown }) {
  let index = null;
  let termList = null; // every index term and the part holding its postings
  let ready = false;
  const position = new Map(); // topic id -> document number
  let hits = [];
  let active = -1;
  let timer = 0;
  let lastInput = -Infinity;
  let runs = 0; // the latest run wins; earlier ones finish unseen
  let running = 0; // runs not finished yet
  let idleWaiters = [];

  // Resolves once no query waits for its answer.
  function settled() {
    return new Promise((resolve) => {
      idleWaiters.push(resolve);
      noteIdle();
    });
  }

  function noteIdle() {
    if (timer || running) return;
    const waiters = idleWaiters;
    idleWaiters = [];
    for (const resolve of waiters) resolve();
  }

  function setStatus(text) {
    status.textContent = text;
  }

  // Takes window.__ZD_SEARCH_INDEX.
  function build(data) {
    index = checkedIndex(data);
    if (!index) {
      unavailable();
      return;
    }
    index.ids.forEach((id, i) => position.set(id, i));
    termList = buildTermList(index.terms);
    ready = true;
    setStatus('');
    input.dataset.ready = 'true';
    if (input.value.trim()) run();
  }

  function unavailable() {
    setStatus('Search is not available');
    input.disabled = true;
  }

  // The best topics for text, loading the term parts it needs. A query matching most of a
  // large help is worked through in steps, none of which holds the page for long.
  async function query(text) {
    const wanted = matchTerms(termList, text, QUERY_OPTIONS);
    const terms = wanted.terms;
    const parts = await Promise.all(wanted.parts.map((k) => loadPart('t', k)));
    // Only the topics the entries name take part; the counts and averages stay the whole
    // index's, so the ranking is the same as over all of it.
    const entries = [];
    const documentIds = {};
    const fieldLength = {};
    let postings = 0;
    let sinceBreak = 0;
    for (const part of parts) {
      for (const raw of part) {
        if (!terms.has(raw[0])) continue;
        const entry = expandTermEntry(raw);
        entries.push(entry);
        for (const counts of Object.values(entry[1])) {
          for (const key in counts) {
            sinceBreak++;
            const doc = Number(key);
            if (documentIds[doc] === undefined) {
              documentIds[doc] = index.ids[doc];
              fieldLength[doc] = index.lengths.slice(doc * FIELDS.length, (doc + 1) * FIELDS.length);
            }
          }
        }
        if (sinceBreak > LARGE_QUERY) {
          postings += sinceBreak;
          sinceBreak = 0;
          await nextTask();
        }
      }
    }
    postings += sinceBreak;
    const fieldIds = { title: 0, keywords: 1, text: 2 };
    const js = serialised(index.ids.length, documentIds, fieldIds, fieldLength, index.averageFieldLength, entries);
    const large = postings > LARGE_QUERY;
    const mini = large ? await MiniSearch.loadJSAsync(js, OPTIONS) : MiniSearch.loadJS(js, OPTIONS);
    if (large) await nextTask();
    let found = mini.search(text, { combineWith: 'AND' });
    if (!found.length) found = mini.search(text, { combineWith: 'OR' });
    if (large) await nextTask();
    return found.slice(0, MAX_RESULTS);
  }

  function showResults(show) {
    input.removeAttribute('aria-activedescendant'); // the hit it named is gone or redrawn
    results.hidden = !show;
    setShown(browse, !show);
    input.setAttribute('aria-expanded', String(show));
    if (show && onResultsShown) onResultsShown();
  }

  async function run() {
    running++;
    try {
      await answer();
    } finally {
      running--;
      noteIdle();
    }
  }

  async function answer() {
    const text = input.value.trim();
    const run = ++runs;
    if (!text) {
      hits = [];
      active = -1;
      results.textContent = '';
      results.removeAttribute('aria-busy');
      showResults(false);
      return;
    }
    showResults(true);
    if (!ready) {
      results.innerHTML = '<p class="zd-note">Preparing search\u2026</p>';
      return;
    }
    let found;
    try {
      found = await query(text);
    } catch {
      if (run !== runs) return;
      results.removeAttribute('aria-busy');
      results.innerHTML = '<p class="zd-note">Part of the search index could not be loaded.</p>';
      return;
    }
    if (run !== runs) return;
    hits = found;
    active = -1;
    render(text);
    // The titles are painted before the snippets take their turn.
    setTimeout(() => {
      if (run === runs && hits.length) fillSnippets(run);
    }, 0);
  }

  function render(text) {
    if (!hits.length) {
      results.removeAttribute('aria-busy');
      results.innerHTML = '<p class="zd-note">No topics found for \u201c' + escapeHtml(text) + '\u201d.</p>';
      return;
    }
    const html = [];
    hits.forEach((hit, i) => {
      const title = makeSnippet(index.titles[position.get(hit.id)], hit.terms, 200);
      html.push(
        '<a class="zd-hit" role="option" id="zd-hit-' + i + '" aria-selected="false" data-index="' + i +
          '" href="#' + escapeHtml(encodeURIComponent(hit.id)) + '">' +
          '<span class="zd-hit-title">' + title + '</span>' +
          '<span class="zd-hit-text"></span></a>',
      );
    });
    results.setAttribute('aria-busy', 'true');
    results.innerHTML = '<p class="zd-note">' + hits.length + (hits.length === MAX_RESULTS ? '+' : '') +
      (hits.length === 1 ? ' topic' : ' topics') + '</p>' + html.join('');
  }

  // Snippets follow the titles as the texts of their topics arrive, for the hits in view
  // first and the others as the list scrolls to them: a part of topic texts is read only
  // when a hit shown needs it. The list is busy until the first of them are in.
  let snippetWatch = null;

  function fillSnippets(run) {
    if (snippetWatch) snippetWatch.disconnect();
    const shown = Array.from(results.querySelectorAll('.zd-hit-text'));
    const hitOf = new Map(shown.map((el, i) => [el, hits[i]]));
    let first = true;
    snippetWatch = new IntersectionObserver((changes) => {
      const els = changes.filter((c) => c.isIntersecting).map((c) => c.target);
      for (const el of els) snippetWatch.unobserve(el);
      const done = loadSnippets(run, els.map((el) => ({ el, hit: hitOf.get(el) })));
      if (!first) return;
      first = false;
      done.then(() => {
        if (run === runs) results.removeAttribute('aria-busy');
      });
    }, { rootMargin: '200px 0px' });
    for (const el of shown) snippetWatch.observe(el);
  }

  function loadSnippets(run, items) {
    const byPart = new Map();
    for (const { el, hit } of items) {
      const doc = position.get(hit.id);
      const part = textPartOf(index.texts, doc);
      if (!byPart.has(part)) byPart.set(part, []);
      byPart.get(part).push({ hit, doc, el });
    }
    const loads = Array.from(byPart, ([part, items]) => loadPart('x', part).then((texts) => {
      if (run !== runs) return;
      for (const { hit, doc, el } of items) {
        const text = String(texts[doc - index.texts[part]] ?? '');
        el.innerHTML = makeSnippet(withoutLeadingTitle(index.titles[doc], text), hit.terms);
      }
    }, () => {}));
    return Promise.all(loads);
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

  // The first key after a pause is answered at once; quick typing after it waits for a pause.
  input.addEventListener('input', () => {
    clearTimeout(timer);
    timer = 0;
    results.setAttribute('aria-busy', 'true'); // what it shows is out of date until the run ends
    const now = performance.now();
    const quick = now - lastInput < 300;
    lastInput = now;
    if (!quick) {
      run();
      return;
    }
    timer = setTimeout(() => {
      timer = 0;
      run();
    }, 40);
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
      timer = 0;
      noteIdle();
      if (ready && !hits.length) run().then(() => open(0));
      else open(active >= 0 ? active : 0);
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

  // A topic the index holds as { id, title, file }, or null.
  function topic(id) {
    if (!index || !position.has(id)) return null;
    return { id, title: String(index.titles[position.get(id)] ?? ''), file: 'topics/' + id + '.html' };
  }

  return { build, unavailable, settled, topic, isReady: () => ready };
}
