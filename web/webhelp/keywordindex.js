// The Index tab: every keyword and index entry of the help, sorted as the reader's language
// sorts, narrowed by a box as one types. An entry of one topic opens it; an entry several
// topics share opens the list of them. Arrow keys move through the entries.
import { fold } from './text.js';

const CHUNK = 200; // entries rendered at a time; more follow as the list scrolls

// The entries of window.__ZD_KEYWORDS sorted for language (a BCP 47 tag or ''):
// [{ text, key, topics: [{ id, title }] }].
export function keywordEntries(data, language) {
  const topics = data && Array.isArray(data.topics) ? data.topics : [];
  const entries = [];
  for (const raw of data && Array.isArray(data.entries) ? data.entries : []) {
    if (!Array.isArray(raw) || typeof raw[0] !== 'string' || !Array.isArray(raw[1])) continue;
    const refs = raw[1].map((i) => topics[i]).filter((t) => Array.isArray(t) && typeof t[0] === 'string');
    if (!refs.length) continue;
    entries.push({ text: raw[0], key: fold(raw[0]), topics: refs.map(([id, title]) => ({ id, title: String(title) })) });
  }
  let collator;
  try {
    collator = new Intl.Collator(language || undefined, { sensitivity: 'base', numeric: true });
  } catch {
    collator = new Intl.Collator(undefined, { sensitivity: 'base', numeric: true }); // a tag the browser does not know
  }
  entries.sort((a, b) => collator.compare(a.text, b.text) || (a.text < b.text ? -1 : a.text > b.text ? 1 : 0));
  for (const e of entries) e.topics.sort((a, b) => collator.compare(a.title, b.title));
  return entries;
}

// Entries that hold a word starting with the folded filter (or all of them for '').
export function filterEntries(entries, filter) {
  const q = fold(filter.trim());
  if (!q) return entries;
  return entries.filter((e) => e.key.startsWith(q) || e.key.includes(' ' + q) || e.key.includes('-' + q));
}

export function createKeywordIndex({ input, list, empty, data, language, onOpen }) {
  let entries = null; // sorted on first use
  let shown = [];
  let rendered = 0;
  const sentinel = document.createElement('li');
  sentinel.className = 'zd-index-more';
  sentinel.setAttribute('aria-hidden', 'true');
  const more = new IntersectionObserver((seen) => {
    if (seen.some((e) => e.isIntersecting)) renderMore();
  }, { root: list.closest('.zd-panel') });

  function ensureEntries() {
    if (!entries) entries = keywordEntries(data, language);
    return entries;
  }

  function renderEntry(entry, n) {
    const li = document.createElement('li');
    li.className = 'zd-index-entry';
    if (entry.topics.length === 1) {
      const a = document.createElement('a');
      a.href = '#' + encodeURIComponent(entry.topics[0].id);
      a.textContent = entry.text;
      a.dataset.topic = entry.topics[0].id;
      a.tabIndex = -1;
      li.appendChild(a);
    } else {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = entry.text;
      button.setAttribute('aria-expanded', 'false');
      button.setAttribute('aria-controls', 'zd-index-topics-' + n);
      button.tabIndex = -1;
      const count = document.createElement('span');
      count.className = 'zd-index-count';
      count.textContent = ' (' + entry.topics.length + ')';
      button.appendChild(count);
      const topics = document.createElement('ul');
      topics.id = 'zd-index-topics-' + n;
      topics.hidden = true;
      for (const t of entry.topics) {
        const item = document.createElement('li');
        const a = document.createElement('a');
        a.href = '#' + encodeURIComponent(t.id);
        a.textContent = t.title;
        a.dataset.topic = t.id;
        a.tabIndex = -1;
        item.appendChild(a);
        topics.appendChild(item);
      }
      li.append(button, topics);
    }
    return li;
  }

  function renderMore() {
    if (rendered >= shown.length) return;
    const frag = document.createDocumentFragment();
    const end = Math.min(shown.length, rendered + CHUNK);
    for (; rendered < end; rendered++) frag.appendChild(renderEntry(shown[rendered], rendered));
    sentinel.remove();
    list.appendChild(frag);
    if (rendered < shown.length) list.appendChild(sentinel);
  }

  function refresh() {
    shown = filterEntries(ensureEntries(), input.value);
    rendered = 0;
    list.textContent = '';
    empty.hidden = shown.length > 0;
    empty.textContent = ensureEntries().length ? 'No index entries match.' : 'This help has no index entries.';
    renderMore();
    const first = focusables()[0];
    if (first) first.tabIndex = 0;
  }

  function focusables() {
    return Array.from(list.querySelectorAll('a, button')).filter((el) => el.offsetParent !== null);
  }

  function focus(el) {
    if (!el) return;
    for (const other of list.querySelectorAll('[tabindex="0"]')) other.tabIndex = -1;
    el.tabIndex = 0;
    el.focus();
    el.scrollIntoView({ block: 'nearest' });
  }

  list.addEventListener('click', (e) => {
    const button = e.target.closest('button[aria-expanded]');
    if (button) {
      const open = button.getAttribute('aria-expanded') !== 'true';
      button.setAttribute('aria-expanded', String(open));
      document.getElementById(button.getAttribute('aria-controls')).hidden = !open;
      if (open && e.detail === 0) focus(button.nextElementSibling.querySelector('a')); // from the keyboard
      return;
    }
    const a = e.target.closest('a[data-topic]');
    if (!a) return;
    e.preventDefault();
    focus(a);
    onOpen(a.dataset.topic);
  });

  list.addEventListener('keydown', (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    const all = focusables();
    const at = all.indexOf(document.activeElement);
    if (e.key === 'ArrowDown') {
      if (at + 1 >= all.length) renderMore();
      focus(focusables()[at + 1]);
    } else if (e.key === 'ArrowUp') {
      if (at <= 0) input.focus();
      else focus(all[at - 1]);
    } else if (e.key === 'Home') {
      focus(all[0]);
    } else if (e.key === 'End') {
      focus(all[all.length - 1]);
    } else {
      return;
    }
    e.preventDefault();
  });

  input.addEventListener('input', refresh);
  input.addEventListener('keydown', (e) => {
    if (e.key === 'ArrowDown') {
      e.preventDefault();
      focus(focusables()[0]);
    } else if (e.key === 'Enter') {
      // The first entry left by the filter opens at once.
      e.preventDefault();
      const first = focusables()[0];
      if (first) first.click();
    }
  });

  more.observe(sentinel);
  return {
    // Fills the list the first time the tab is shown.
    show() {
      if (!entries) refresh();
    },
  };
}
