// The WebHelp viewer: table of contents, keyword index, topic frame, navigation and search.
// It reads window.__ZD_TOC, window.__ZD_SEARCH_INDEX, window.__ZD_KEYWORDS and
// window.__ZD_CONTEXT (written by the export) and loads the search index's parts as script
// files, never through fetch, so a site works from disk as well as from any server.
// The search index comes first: a reader who types at once is answered before the
// contents (toc.js, the larger file) are read and the first topic is shown.
import { createToc } from './toc.js';
import { createSearch } from './search.js';
import { highlightInDocument, clearHighlights } from './highlight.js';
import { resolveHelpContext } from './helpcontext.js';
import { createKeywordIndex } from './keywordindex.js';
import { createTabs } from './tabs.js';

const $ = (id) => document.getElementById(id);

const state = {
  currentId: '',
  pendingTerms: null, // terms to mark in the next topic opened from a search result
  titleBase: document.title,
};


const toc = createToc($('zd-toc'), {
  onOpen: (id) => navigateTo(id),
});
let tocLoaded = false;
window.addEventListener('pagehide', () => {
  if (tocLoaded) storePlace(toc.place());
});

// The reader's place in the tree (open branches, scroll position) outlives a reload and
// a visit to another page, for this tab of the browser.
function placeKey() {
  return 'zd-toc-place:' + location.pathname;
}

function readPlace() {
  try {
    return JSON.parse(sessionStorage.getItem(placeKey()) || 'null');
  } catch {
    return null;
  }
}

function storePlace(place) {
  try {
    sessionStorage.setItem(placeKey(), JSON.stringify(place));
  } catch {
    // storage may be closed to pages from disk
  }
}

// --- the contents and index tabs ----------------------------------------------

// The data a script file of the export sets as window[name], or null when it cannot be read.
function loadData(file, name) {
  return new Promise((resolve) => {
    if (window[name]) {
      resolve(window[name]);
      return;
    }
    const script = document.createElement('script');
    script.src = file;
    script.addEventListener('load', () => resolve(window[name] || null));
    script.addEventListener('error', () => resolve(null));
    document.head.appendChild(script);
  });
}

function loadKeywords() {
  return loadData('keywords.js', '__ZD_KEYWORDS');
}

let keywordIndex = null;
const tabs = createTabs([$('zd-tab-toc'), $('zd-tab-index')], {
  onShow: async (tab) => {
    if (tab.id !== 'zd-tab-index' || keywordIndex) return;
    const data = await loadKeywords();
    keywordIndex = keywordIndex || createKeywordIndex({
      input: $('zd-index-q'),
      list: $('zd-index-list'),
      empty: $('zd-index-empty'),
      data,
      language: (data && data.lang) || document.documentElement.lang,
      onOpen: (id) => navigateTo(id),
    });
    keywordIndex.show();
  },
});

// Topics outside the tree (their parent is excluded) are still reachable from search.
function topicInfo(id) {
  return toc.get(id) || search.topic(id);
}

function idFromHash() {
  const raw = location.hash.replace(/^#/, '');
  if (!raw) return '';
  try {
    return decodeURIComponent(raw);
  } catch {
    return raw;
  }
}

function navigateTo(id, terms) {
  state.pendingTerms = terms || null;
  closeSideOnNarrow();
  if (idFromHash() === id) showTopic(id);
  else location.hash = '#' + encodeURIComponent(id);
}

// --- the topic frame ----------------------------------------------------------

const frame = $('zd-frame');

function frameUrl(file) {
  return new URL(file, location.href).href;
}

function showTopic(id) {
  const info = topicInfo(id);
  if (!info) {
    showMissing(id);
    return;
  }
  state.currentId = id;
  const url = frameUrl(info.file);
  frame.dataset.topic = id;
  // replace() keeps the frame out of the session history: back and forward follow the hash.
  try {
    if (frame.contentWindow && frame.getAttribute('src')) frame.contentWindow.location.replace(url);
    else frame.setAttribute('src', url);
  } catch {
    frame.setAttribute('src', url);
  }
  toc.select(id);
  renderCrumbs(id);
  renderPager(id);
  document.title = info.title ? info.title + ' \u2013 ' + state.titleBase : state.titleBase;
}

function showMissing(id) {
  state.currentId = '';
  toc.select('');
  const doc = '<!doctype html><meta charset="utf-8"><body style="font-family:sans-serif;padding:16px">' +
    '<p>The topic <code>' + escapeText(id) + '</code> is not part of this help.</p></body>';
  frame.removeAttribute('src');
  frame.setAttribute('srcdoc', doc);
  renderCrumbs('');
  renderPager('');
}

function escapeText(s) {
  return String(s).replace(/[&<>"']/g, (c) => '&#' + c.charCodeAt(0) + ';');
}

frame.addEventListener('load', () => {
  if (frame.hasAttribute('srcdoc') && frame.getAttribute('src')) frame.removeAttribute('srcdoc');
  let doc = null;
  try {
    doc = frame.contentDocument; // null or an error when the page is not same-origin (file://)
  } catch {
    doc = null;
  }
  if (!doc) return;
  followFrameNavigation(doc);
  const terms = state.pendingTerms;
  state.pendingTerms = null;
  clearHighlights(doc);
  if (terms && terms.length) {
    const first = highlightInDocument(doc, terms);
    if (first) first.scrollIntoView({ block: 'center' });
  }
});

// A link followed inside the topic: keep the tree, the hash and the pager in step.
function followFrameNavigation(doc) {
  let path = '';
  try {
    path = frame.contentWindow.location.pathname;
  } catch {
    return;
  }
  const m = /\/topics\/([^/]+)\.html$/.exec(path);
  if (!m) return;
  const id = decodeURIComponent(m[1]);
  if (id === state.currentId || !topicInfo(id)) return;
  state.currentId = id;
  history.replaceState(null, '', '#' + encodeURIComponent(id));
  toc.select(id);
  renderCrumbs(id);
  renderPager(id);
  if (doc.defaultView) doc.defaultView.focus();
}

window.addEventListener('hashchange', () => {
  showNotice('');
  openFromHash();
});

function showNotice(text) {
  const notice = $('zd-notice');
  if (!notice) return;
  notice.textContent = text;
  notice.hidden = !text;
}

// A program asked for a topic by its help context ID or alias. The hash, once there,
// is the reader's own place and wins.
function openFromHelpContext() {
  if (idFromHash()) return;
  const found = resolveHelpContext(location.search, window.__ZD_CONTEXT);
  if (!found) return;
  if (found.topicId) history.replaceState(null, '', '#' + encodeURIComponent(found.topicId));
  else showNotice(found.missing);
}

function openFromHash() {
  if (!tocLoaded) return; // the contents open the topic when they arrive
  const id = idFromHash();
  if (id) showTopic(id);
  else if (toc.first()) showTopic(toc.first());
}

// --- breadcrumb and pager -----------------------------------------------------

function renderCrumbs(id) {
  const ol = $('zd-crumbs');
  ol.textContent = '';
  if (!id) return;
  const chain = toc.ancestors(id);
  const info = topicInfo(id);
  for (const a of chain) {
    const li = document.createElement('li');
    const link = document.createElement('a');
    link.href = '#' + encodeURIComponent(a.id);
    link.textContent = a.title;
    li.appendChild(link);
    ol.appendChild(li);
  }
  const li = document.createElement('li');
  li.setAttribute('aria-current', 'page');
  li.textContent = info ? info.title : '';
  ol.appendChild(li);
}

function renderPager(id) {
  const prev = toc.previous(id);
  const next = toc.next(id);
  setPagerButton($('zd-prev'), prev);
  setPagerButton($('zd-next'), next);
}

function setPagerButton(button, id) {
  button.disabled = !id;
  button.dataset.target = id || '';
  const info = id ? topicInfo(id) : null;
  button.setAttribute('aria-label', (button.id === 'zd-prev' ? 'Previous: ' : 'Next: ') + (info ? info.title : 'none'));
}

for (const button of [$('zd-prev'), $('zd-next')]) {
  button.addEventListener('click', () => {
    if (button.dataset.target) navigateTo(button.dataset.target);
  });
}

$('zd-print').addEventListener('click', () => {
  try {
    frame.contentWindow.focus();
    frame.contentWindow.print();
  } catch {
    window.print();
  }
});

document.addEventListener('keydown', (e) => {
  if (e.altKey && !e.ctrlKey && !e.metaKey && (e.key === 'ArrowLeft' || e.key === 'ArrowRight')) {
    const button = e.key === 'ArrowLeft' ? $('zd-prev') : $('zd-next');
    if (button.dataset.target) {
      e.preventDefault();
      navigateTo(button.dataset.target);
    }
  } else if (e.key === '/' && document.activeElement !== $('zd-q') && !isTyping(e.target)) {
    e.preventDefault();
    $('zd-q').focus();
  }
});

function isTyping(el) {
  return el && (el.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(el.tagName));
}

// --- narrow screens and the splitter ------------------------------------------

const side = $('zd-side');
const menu = $('zd-menu');
const scrim = $('zd-scrim');
const narrow = window.matchMedia('(max-width: 760px)');

function setSideOpen(open, focusTree = true) {
  document.body.classList.toggle('zd-side-open', open);
  menu.setAttribute('aria-expanded', String(open));
  scrim.hidden = !open;
  if (open && focusTree) {
    if (tabs.current() === 'zd-tab-toc') toc.focusCurrent();
    else $('zd-index-q').focus();
  }
}

function closeSideOnNarrow() {
  if (narrow.matches) setSideOpen(false);
}

menu.addEventListener('click', () => setSideOpen(!document.body.classList.contains('zd-side-open')));
scrim.addEventListener('click', () => setSideOpen(false));
side.addEventListener('keydown', (e) => {
  if (e.key === 'Escape' && narrow.matches) {
    setSideOpen(false);
    menu.focus();
  }
});

function storedWidth() {
  try {
    return Number(localStorage.getItem('zd-side-width')) || 0;
  } catch {
    return 0;
  }
}

function setSideWidth(px, store) {
  const w = Math.max(160, Math.min(px, Math.floor(window.innerWidth * 0.7)));
  document.documentElement.style.setProperty('--zd-side-width', w + 'px');
  const splitter = $('zd-splitter');
  splitter.setAttribute('aria-valuenow', String(w));
  splitter.setAttribute('aria-valuemax', String(Math.max(160, Math.floor(window.innerWidth * 0.7))));
  if (store) {
    try {
      localStorage.setItem('zd-side-width', String(w));
    } catch {
      // storage is not available for file:// pages in some browsers
    }
  }
}

(function initSplitter() {
  const splitter = $('zd-splitter');
  setSideWidth(storedWidth() || side.getBoundingClientRect().width, false);
  splitter.addEventListener('pointerdown', (e) => {
    e.preventDefault();
    splitter.setPointerCapture(e.pointerId);
    document.body.classList.add('zd-resizing');
    const move = (ev) => setSideWidth(ev.clientX, false);
    const up = (ev) => {
      splitter.removeEventListener('pointermove', move);
      splitter.removeEventListener('pointerup', up);
      document.body.classList.remove('zd-resizing');
      setSideWidth(ev.clientX, true);
    };
    splitter.addEventListener('pointermove', move);
    splitter.addEventListener('pointerup', up);
  });
  splitter.addEventListener('keydown', (e) => {
    if (e.key !== 'ArrowLeft' && e.key !== 'ArrowRight') return;
    e.preventDefault();
    const now = side.getBoundingClientRect().width;
    setSideWidth(now + (e.key === 'ArrowLeft' ? -24 : 24), true);
  });
})();

// --- search -------------------------------------------------------------------

const search = createSearch({
  input: $('zd-q'),
  results: $('zd-results'),
  status: $('zd-status'),
  browse: $('zd-browse'),
  onOpen: (id, terms) => navigateTo(id, terms),
  onResultsShown: () => {
    if (narrow.matches) setSideOpen(true, false);
  },
});

// The search index, or null when it cannot be read.
function searchIndexLoaded() {
  if (window.__ZD_SEARCH_INDEX) return Promise.resolve(window.__ZD_SEARCH_INDEX);
  const script = $('zd-search-data');
  if (!script) return Promise.resolve(null);
  return new Promise((resolve) => {
    script.addEventListener('load', () => resolve(window.__ZD_SEARCH_INDEX || null));
    script.addEventListener('error', () => resolve(null));
  });
}

async function startContents() {
  const data = await loadData('toc.js', '__ZD_TOC');
  toc.load(data && Array.isArray(data.roots) ? data.roots : []);
  tocLoaded = true;
  toc.restorePlace(readPlace());
  openFromHash();
}

// --- start --------------------------------------------------------------------

$('zd-brand').textContent = state.titleBase;
openFromHelpContext();

(async () => {
  try {
    const data = await searchIndexLoaded();
    if (data) await search.build(data);
    else search.unavailable();
    // A query typed while the index loaded is answered before the contents take the page.
    await search.settled();
  } catch {
    search.unavailable();
  }
  await startContents();
})();
