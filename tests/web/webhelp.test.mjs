// The WebHelp viewer in headless Chromium, on a small project published by folivane-cli:
// tree, hash and click navigation, previous/next, search (accents, Cyrillic, CJK) over the
// export's prebuilt index, the highlighting of terms, the Index tab, the reader's place in
// the tree, narrow screens, an accessibility check, the site opened straight from disk, and
// topics opened by help context ID or alias as a program does.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import vm from 'node:vm';
import MiniSearch from 'minisearch';
import { launchBrowser } from './lib/browser.mjs';
import { tokenizeForIndex, processTerm } from '../../web/webhelp/text.js';
import { expandTermEntry } from '../../web/webhelp/searchdata.js';
import { OPTIONS, QUERY_OPTIONS } from '../../web/webhelp/searchoptions.js';
import { buildTermList, matchTerms, boundedDistance } from '../../web/webhelp/termparts.js';

const BIN = process.env.FOLIVANE_BIN;
const SOURCE = process.env.FOLIVANE_SOURCE;
const ids = Object.fromEntries('ABCDEFGHI'.split('').map((k, i) => [k, (0xa1 + i).toString(16).toUpperCase().padStart(32, '0')]));

let work;
let site;
let server;
let baseUrl;
let browser;

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json' };

before(async () => {
  assert.ok(BIN && SOURCE, 'FOLIVANE_BIN and FOLIVANE_SOURCE must be set (run through CTest)');
  work = mkdtempSync(path.join(tmpdir(), 'folivane-webhelp-'));
  cpSync(path.join(SOURCE, 'tests/fixtures/webhelp'), work, { recursive: true });
  const out = execFileSync(path.join(BIN, 'folivane-cli'), ['webhelp', path.join(work, 'Guide.fvp')], {
    env: { ...process.env, APPDATA: path.join(work, 'appdata'), FOLIVANE_NO_OPEN: '1' },
    encoding: 'utf8',
  });
  site = path.join(work, 'Guide', 'build', 'webhelp');
  assert.equal(out, `WebHelp exported: ${path.join(site, 'index.html')}\n`);

  server = createServer((req, res) => {
    const rel = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(site, path.normalize(rel).replace(/^(\.\.[/\\])+/, ''));
    try {
      const body = readFileSync(file);
      res.writeHead(200, { 'content-type': TYPES[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    } catch {
      res.writeHead(404);
      res.end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  baseUrl = `http://127.0.0.1:${server.address().port}/`;
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

async function openViewer(url, viewport = { width: 1200, height: 800 }) {
  const page = await browser.newPage({ viewport });
  const requests = [];
  page.on('request', (r) => requests.push(r.url()));
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  const consoleErrors = [];
  page.on('console', (m) => m.type() === 'error' && consoleErrors.push(m.text()));
  await page.goto(url);
  await page.waitForSelector('#zd-toc [role="treeitem"]', { state: 'attached' });
  page.requests = requests;
  page.errors = errors;
  page.consoleErrors = consoleErrors;
  return page;
}

async function waitForTopic(page, id) {
  await page.waitForFunction(
    (want) => {
      const f = document.getElementById('zd-frame');
      if (!f.contentDocument) return f.dataset.topic === want; // a page from disk is out of reach
      return f.contentWindow.location.href.endsWith('topics/' + want + '.html') &&
        f.contentDocument.readyState === 'complete';
    },
    id,
  );
}

async function searchFor(page, text) {
  await page.fill('#zd-q', '');
  await page.waitForFunction(() => document.getElementById('zd-q').dataset.ready === 'true');
  await page.fill('#zd-q', text);
  // The snippets arrive after the titles; the list is busy until they are in.
  await page.waitForFunction(
    (t) => {
      const results = document.getElementById('zd-results');
      return !results.hidden && document.getElementById('zd-q').value === t &&
        results.querySelector('.zd-note') && !results.hasAttribute('aria-busy') &&
        !/Preparing/.test(results.textContent);
    },
    text,
  );
  return page.$$eval('#zd-results .zd-hit', (els) => els.map((e) => ({
    title: e.querySelector('.zd-hit-title').textContent,
    href: e.getAttribute('href'),
    snippet: e.querySelector('.zd-hit-text').innerHTML,
  })));
}

test('the tree shows the published topics and the title is the project title', async () => {
  const page = await openViewer(baseUrl + 'index.html');
  const roots = await page.$$eval('#zd-toc > [role="treeitem"] > .zd-row a', (as) => as.map((a) => a.textContent));
  assert.deepEqual(roots, ['Getting Started', 'Reference']);
  assert.equal(await page.textContent('#zd-brand'), 'Guide & "Friends"');
  await waitForTopic(page, ids.A);
  // Expanding Reference shows its published children; the excluded one is absent and a
  // title holding markup is shown as text.
  await page.click(`[data-id="${ids.D}"] > .zd-row .zd-twisty`);
  const children = await page.$$eval(`[data-id="${ids.D}"] > ul > li > .zd-row a`, (as) => as.map((a) => a.textContent));
  assert.deepEqual(children, ['Настройки', '中文说明', 'Quotes "and" </script> <b>tags</b>']);
  await page.click(`[data-id="${ids.D}"] > .zd-row .zd-twisty`);
  assert.equal(await page.isVisible(`[data-id="${ids.E}"]`), false);
  assert.deepEqual(page.errors, []);
  assert.ok(page.requests.every((u) => u.startsWith(baseUrl)), 'no requests leave the site');
  await page.close();
});

test('a topic opens from the hash, by click, and by previous and next; back and forward follow', async () => {
  const page = await openViewer(baseUrl + `index.html#${ids.C}`);
  await waitForTopic(page, ids.C);
  assert.equal(await page.getAttribute(`[data-id="${ids.C}"]`, 'aria-selected'), 'true');
  assert.ok(await page.isVisible(`[data-id="${ids.C}"]`), 'the current topic is revealed');
  assert.equal(await page.textContent('#zd-crumbs'), 'Getting StartedCafé menu');
  assert.match(await page.title(), /^Café menu/);

  await page.click(`[data-id="${ids.B}"] > .zd-row a`);
  await waitForTopic(page, ids.B);
  assert.equal(new URL(page.url()).hash, `#${ids.B}`);
  const frame = page.frame({ name: 'zd-frame' });
  assert.match(await frame.textContent('body'), /Run the installer/);
  // Internal links were rewritten for the site; the one to an excluded topic goes nowhere.
  const hrefs = await frame.$$eval('a', (as) => as.map((a) => a.getAttribute('href')));
  assert.deepEqual(hrefs, [`${ids.C}.html`, '#']);

  await page.click('#zd-next');
  await waitForTopic(page, ids.C);
  await page.click('#zd-next');
  await waitForTopic(page, ids.D);
  assert.match(await frame.textContent('body'), /Reference/);
  await page.click('#zd-prev');
  await waitForTopic(page, ids.C);

  await page.goBack();
  await waitForTopic(page, ids.D);
  await page.goBack();
  await waitForTopic(page, ids.C);
  await page.goForward();
  await waitForTopic(page, ids.D);

  // A link followed inside the topic moves the tree and the hash along.
  await page.goto(baseUrl + `index.html#${ids.B}`);
  await waitForTopic(page, ids.B);
  await page.frame({ name: 'zd-frame' }).click(`a[href="${ids.C}.html"]`);
  await page.waitForFunction((id) => location.hash === '#' + id, ids.C);
  assert.equal(await page.getAttribute(`[data-id="${ids.C}"]`, 'aria-selected'), 'true');

  // The first topic has no previous one.
  await page.goto(baseUrl + `index.html#${ids.A}`);
  await waitForTopic(page, ids.A);
  assert.equal(await page.isDisabled('#zd-prev'), true);
  await page.close();
});

test('search finds words, accents folded, Cyrillic and CJK, fuzzy and by prefix', async () => {
  const page = await openViewer(baseUrl + 'index.html');
  const cases = [
    ['configuration', 'Installation', /<mark>configuration<\/mark>/],
    ['configur', 'Installation', /<mark>configuration<\/mark>/],
    ['instalation', 'Installation', null],
    ['creme brulee', 'Café menu', /<mark>crème<\/mark> <mark>brûlée<\/mark>/],
    ['CAFÉ', 'Café menu', null],
    ['coffee', 'Café menu', null],
    ['настройка', 'Настройки', /<mark>Настройка<\/mark>/],
    ['配置', '中文说明', /<mark>配置<\/mark>/],
    ['データベース', '中文说明', /<mark>データベース<\/mark>/],
    ['zephyrine', 'Orphan page', /<mark>zephyrine<\/mark>/],
  ];
  for (const [query, title, snippet] of cases) {
    const hits = await searchFor(page, query);
    assert.ok(hits.length > 0, `"${query}" finds something`);
    assert.equal(hits[0].title, title, `"${query}" ranks ${title} first`);
    if (snippet) assert.match(hits[0].snippet, snippet, `snippet for "${query}"`);
  }
  // Title and keywords rank above body text.
  const hits = await searchFor(page, 'install');
  assert.equal(hits[0].title, 'Installation');
  assert.equal((await searchFor(page, 'qwertyuiop')).length, 0);
  assert.match(await page.textContent('#zd-results'), /No topics found/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A reader who types before the viewer's scripts have run: the query is answered from the
// search index, and the contents and the linked topic follow without the reader's help.
test('a query typed the moment the page opens is answered, then the tree shows the topic', async () => {
  for (const base of [pathToFileURL(path.join(site, 'index.html')).href, baseUrl + 'index.html']) {
    const page = await browser.newPage({ viewport: { width: 1200, height: 800 } });
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.addInitScript(() => {
      new MutationObserver((_, watch) => {
        const box = document.getElementById('zd-q');
        if (!box) return;
        watch.disconnect();
        box.value = 'brulee';
        box.dispatchEvent(new Event('input', { bubbles: true }));
      }).observe(document, { childList: true, subtree: true });
    });
    await page.goto(base + `#${ids.E}`, { waitUntil: 'commit' });
    await page.waitForSelector('#zd-hit-0');
    assert.equal(await page.textContent('#zd-hit-0 .zd-hit-title'), 'Café menu', base);
    await waitForTopic(page, ids.E);
    assert.equal(await page.getAttribute(`[data-id="${ids.E}"]`, 'aria-selected'), 'true', base);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test('a result opens from the keyboard with its terms highlighted in the topic', async () => {
  const page = await openViewer(baseUrl + 'index.html');
  await searchFor(page, 'brulee');
  await page.press('#zd-q', 'ArrowDown');
  assert.equal(await page.getAttribute('#zd-hit-0', 'aria-selected'), 'true');
  await page.press('#zd-q', 'Enter');
  await waitForTopic(page, ids.C);
  const frame = page.frame({ name: 'zd-frame' });
  await frame.waitForSelector('mark.zd-search-hit');
  assert.deepEqual(await frame.$$eval('mark.zd-search-hit', (m) => m.map((e) => e.textContent)), ['brûlée']);
  // Escape clears the search and brings the tree back.
  await page.press('#zd-q', 'Escape');
  assert.equal(await page.isVisible('#zd-toc'), true);
  // A topic reached from the tree is not highlighted.
  await page.click(`[data-id="${ids.B}"] > .zd-row a`);
  await waitForTopic(page, ids.B);
  assert.equal(await page.frame({ name: 'zd-frame' }).$$eval('mark', (m) => m.length), 0);
  await page.close();
});

test('the tree is usable with the keyboard', async () => {
  const page = await openViewer(baseUrl + `index.html#${ids.A}`);
  await waitForTopic(page, ids.A);
  await page.focus(`[data-id="${ids.A}"]`);
  await page.keyboard.press('ArrowDown'); // Installation (Getting Started is expanded as the current topic's branch)
  await page.keyboard.press('ArrowDown'); // Café menu
  await page.keyboard.press('ArrowDown'); // Reference
  await page.keyboard.press('ArrowRight'); // expand
  await page.keyboard.press('ArrowDown'); // Настройки
  await page.keyboard.press('Enter');
  await waitForTopic(page, ids.E);
  assert.equal(await page.textContent('#zd-crumbs'), 'ReferenceНастройки');
  await page.close();
});

test('on a narrow screen the tree hides behind a button', async () => {
  const page = await openViewer(baseUrl + 'index.html', { width: 400, height: 700 });
  assert.equal(await page.isVisible('#zd-menu'), true);
  assert.equal(await page.isVisible(`[data-id="${ids.A}"] .zd-row a`), false);
  await page.click('#zd-menu');
  await page.waitForFunction(() => document.body.classList.contains('zd-side-open'));
  await page.click(`[data-id="${ids.D}"] > .zd-row a`);
  await waitForTopic(page, ids.D);
  assert.equal(await page.evaluate(() => document.body.classList.contains('zd-side-open')), false);
  await page.close();
});

test('the site works opened from disk', async () => {
  const url = pathToFileURL(path.join(site, 'index.html')).href;
  const page = await openViewer(url + `#${ids.B}`);
  await waitForTopic(page, ids.B);
  assert.equal(await page.getAttribute(`[data-id="${ids.B}"]`, 'aria-selected'), 'true');
  const hits = await searchFor(page, 'crème');
  assert.equal(hits[0].title, 'Café menu');
  await page.click('#zd-hit-0');
  await waitForTopic(page, ids.C);
  const frame = page.frame({ name: 'zd-frame' });
  for (let i = 0; i < 100 && !frame.url().endsWith(`topics/${ids.C}.html`); i++) await page.waitForTimeout(50);
  await frame.waitForLoadState();
  assert.match(await frame.textContent('body'), /famous across the valley/);
  assert.ok(page.requests.every((u) => u.startsWith('file://')), 'no requests leave the disk');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a program opens a topic by help context ID or alias, from disk and from a server', async () => {
  const fileUrl = pathToFileURL(path.join(site, 'index.html')).href;
  for (const base of [fileUrl, baseUrl + 'index.html']) {
    for (const [query, id] of [['?context=1001', ids.C], ['?alias=IDH_INSTALL', ids.B], ['?alias=idh_cafe_menu', ids.C]]) {
      const page = await openViewer(base + query);
      await waitForTopic(page, id);
      assert.equal(await page.getAttribute(`[data-id="${id}"]`, 'aria-selected'), 'true', base + query);
      assert.equal(await page.isVisible('#zd-notice'), false, base + query);
      assert.deepEqual(page.errors, []);
      await page.close();
    }
  }
});

test('an unknown or excluded help context opens the first topic and says so', async () => {
  const fileUrl = pathToFileURL(path.join(site, 'index.html')).href;
  const cases = [
    ['?context=4242', /context ID \u201c4242\u201d/],
    ['?context=1007', /context ID \u201c1007\u201d/], // its topic is left out of WebHelp
    ['?alias=IDH_NOWHERE', /alias \u201cIDH_NOWHERE\u201d/],
    ['?context=abc', /context ID \u201cabc\u201d/],
  ];
  for (const [query, message] of cases) {
    const page = await openViewer(fileUrl + query);
    await waitForTopic(page, ids.A);
    assert.match(await page.textContent('#zd-notice'), message, query);
    assert.ok(await page.isVisible('#zd-notice'));
    // Going on to another topic puts the notice away.
    await page.click('#zd-next');
    await waitForTopic(page, ids.B);
    assert.equal(await page.isVisible('#zd-notice'), false);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(page.consoleErrors, []);
    await page.close();
  }
  const map = JSON.parse(readFileSync(path.join(site, 'context.json'), 'utf8'));
  assert.deepEqual(map.topics.map((t) => [t.helpId, t.alias, t.page]), [
    [null, 'IDH_INSTALL', `topics/${ids.B}.html`],
    [1001, 'IDH_CAFE_MENU', `topics/${ids.C}.html`],
  ], 'the excluded topic is not in the site\'s map');
});

// Runs the search index's script files as the viewer does and gathers what they hold.
function readPrebuiltIndex() {
  const terms = new Map();
  const texts = [];
  const sandbox = { window: {} };
  sandbox.window.__ZD_SEARCH_PART = (kind, n, data) => {
    if (kind === 't') for (const entry of data) terms.set(...expandTermEntry(entry));
    else texts[n] = data;
  };
  vm.createContext(sandbox);
  const dir = path.join(site, 'search');
  for (const file of readdirSync(dir)) vm.runInContext(readFileSync(path.join(dir, file), 'utf8'), sandbox);
  // Plain objects of this context, for deepEqual.
  const meta = JSON.parse(JSON.stringify(sandbox.window.__ZD_SEARCH_INDEX));
  return { meta, terms, texts: JSON.parse(JSON.stringify(texts.flat())) };
}

test('the prebuilt index holds what MiniSearch builds from search.json with the viewer\'s tokenizer', () => {
  // The orphan page carries folds and scripts that are easy to get wrong: ß, ligatures,
  // full-width letters, Greek, a combining mark, Hangul, kana beside Latin, fractions.
  const { topics } = JSON.parse(readFileSync(path.join(site, 'search.json'), 'utf8'));
  const mini = new MiniSearch({ idField: 'id', fields: ['title', 'keywords', 'text'], tokenize: tokenizeForIndex, processTerm });
  mini.addAll(topics);
  const want = mini.toJSON();
  const got = readPrebuiltIndex();
  assert.deepEqual(Object.fromEntries(got.terms), Object.fromEntries(want.index));
  assert.deepEqual(got.meta.ids, topics.map((t) => t.id));
  assert.deepEqual(got.meta.titles, topics.map((t) => t.title));
  assert.deepEqual(got.meta.lengths, Object.values(want.fieldLength).flat());
  got.meta.averageFieldLength.forEach((v, i) => assert.ok(Math.abs(v - want.averageFieldLength[i]) < 1e-9));
  assert.deepEqual(got.texts, topics.map((t) => t.text), 'the snippet texts');
  // Hangul syllables fold to their letters and kana lose their voicing marks (NFKD).
  const folded = ['한국', 'デー'].map(processTerm);
  for (const term of ['strasse', 'aesir', 'file', 'full', 'σοφια', 'naive', ...folded, 'db', 'istanbul']) {
    assert.ok(got.terms.has(term), term);
  }
});

// The viewer picks the postings a query needs from the term list alone; MiniSearch over
// the same terms is the reference for what a query matches.
test('a query needs the terms MiniSearch would match: exact, by prefix, with typos, CJK', () => {
  const { meta } = readPrebuiltIndex();
  const list = buildTermList(meta.terms);
  // The list holds terms as indexed: the reference takes them as they are.
  const reference = new MiniSearch({ ...OPTIONS, fields: ['term'], tokenize: (t) => [t], processTerm: (t) => t });
  reference.addAll(list.terms.map((term, id) => ({ id, term })));
  const queries = ['password', 'passwrd', 'pasword', 'configur', 'strasse', 'Straße', 'naïve', 'файл', 'файлы',
    '数据库', '数', 'd', 'db', 'isntanbul', 'zzzz', 'the file', 'full-width', 'σοφια', '한국'];
  for (const q of queries) {
    const want = new Set(reference.search(q, { combineWith: 'OR' }).flatMap((r) => Object.keys(r.match)));
    const got = matchTerms(list, q, QUERY_OPTIONS);
    assert.deepEqual([...got.terms].sort(), [...want].sort(), q);
    const parts = [...new Set([...got.terms].map((t) => list.parts[list.terms.indexOf(t)]))].sort((a, b) => a - b);
    assert.deepEqual(got.parts, parts, q);
  }
  for (const [a, b, max, d] of [['kitten', 'sitting', 3, 3], ['kitten', 'sitting', 2, 3], ['abc', 'abc', 1, 0],
    ['', 'ab', 2, 2], ['ab', 'ba', 1, 2], ['ab', 'ba', 2, 2]]) {
    assert.equal(boundedDistance(a, b, max), d, `${a} ${b} ${max}`);
  }
});

test('the Index tab lists keywords and index entries in the project\'s language, filters and opens them', async () => {
  const page = await openViewer(baseUrl + `index.html#${ids.A}`);
  await waitForTopic(page, ids.A);
  await page.click('#zd-tab-index');
  await page.waitForSelector('#zd-index-list li');
  const entries = () => page.$$eval('#zd-index-list > li > :first-child', (els) => els.map((e) => e.textContent));
  // Swedish sorts Ä after Z; the shared entry names how many topics carry it.
  assert.deepEqual(await entries(), ['apple', 'coffee', 'install', 'setup (2)', 'Zebra', 'Zucker', 'Äpfel']);

  // An entry of one topic opens it.
  await page.click('#zd-index-list a:text("coffee")');
  await waitForTopic(page, ids.C);
  // An entry of several lists them; each opens its topic.
  await page.click('#zd-index-list button:has-text("setup")');
  const shared = await page.$$eval('#zd-index-list button + ul a', (as) => as.map((a) => a.textContent));
  assert.deepEqual(shared, ['Café menu', 'Installation']);
  await page.click('#zd-index-list button + ul a:text("Installation")');
  await waitForTopic(page, ids.B);

  // The box narrows the list as one types (accents folded); the keyboard does the rest.
  for (const [typed, left] of [['z', ['Zebra', 'Zucker']], ['APF', ['Äpfel']], ['qq', []]]) {
    await page.fill('#zd-index-q', typed);
    assert.deepEqual(await entries(), left, typed);
  }
  assert.equal(await page.isVisible('#zd-index-empty'), true);
  await page.fill('#zd-index-q', 'zu');
  await page.press('#zd-index-q', 'ArrowDown');
  await page.keyboard.press('Enter');
  await waitForTopic(page, ids.B);
  await page.fill('#zd-index-q', 'se');
  await page.press('#zd-index-q', 'Enter'); // the only entry is shared: its topics open for choosing
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Café menu');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  await waitForTopic(page, ids.B);

  // Arrow keys move between the tabs.
  await page.focus('#zd-tab-index');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.getAttribute('#zd-tab-toc', 'aria-selected'), 'true');
  assert.equal(await page.isVisible(`[data-id="${ids.A}"]`), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the tree keeps its open branches and scroll place through a search and a reload', async () => {
  const page = await openViewer(baseUrl + `index.html#${ids.E}`, { width: 1200, height: 190 });
  await waitForTopic(page, ids.E);
  await page.click(`[data-id="${ids.A}"] > .zd-row .zd-twisty`); // a branch the reader opens
  const scroller = '#zd-toc-panel';
  await page.$eval(scroller, (el) => { el.scrollTop = el.scrollHeight; });
  const place = await page.$eval(scroller, (el) => el.scrollTop);
  assert.ok(place > 0, 'the tree scrolls in a low window');
  await searchFor(page, 'install');
  await page.press('#zd-q', 'Escape');
  const near = async (what) => assert.ok(Math.abs((await page.$eval(scroller, (el) => el.scrollTop)) - place) <= 1, what);
  await near('after the search');
  await page.reload();
  await waitForTopic(page, ids.E);
  assert.equal(await page.getAttribute(`[data-id="${ids.A}"]`, 'aria-expanded'), 'true');
  await near('after a reload');
  await page.close();
});

test('the viewer passes the accessibility check with search results and the Index tab', async () => {
  const axe = readFileSync(path.join(SOURCE, 'node_modules/axe-core/axe.min.js'), 'utf8');
  const page = await openViewer(baseUrl + `index.html#${ids.B}`);
  await waitForTopic(page, ids.B);
  const check = async (what) => {
    await page.addScriptTag({ content: axe });
    const found = await page.evaluate(async () => {
      // The topic's own content is the author's; the check is about the viewer.
      const result = await window.axe.run({ exclude: [['#zd-frame']] }, {
        runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'] },
      });
      return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
    });
    assert.deepEqual(found, [], what);
  };
  await check('the tree');
  await searchFor(page, 'install');
  await page.press('#zd-q', 'ArrowDown');
  await check('search results');
  await page.press('#zd-q', 'Escape');
  await page.click('#zd-tab-index');
  await page.waitForSelector('#zd-index-list li');
  await page.click('#zd-index-list button:has-text("setup")');
  await check('the Index tab');
  await page.close();
});
