// The WebHelp viewer with a generated site of 10,000 topics opened from disk: a deep link
// into the third level, the tree from the keyboard, search that loads only the parts of
// the index a query needs, Back, and the Index tab with an entry that 200 topics share.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launchBrowser } from './lib/browser.mjs';

const BIN = process.env.FOLIVANE_BIN;
const TOPICS = 10000;

let work;
let site;
let browser;
let toc;

before(async () => {
  assert.ok(BIN, 'FOLIVANE_BIN must be set (run through CTest)');
  work = mkdtempSync(path.join(tmpdir(), 'folivane-webhelp-large-'));
  execFileSync(path.join(BIN, 'gen_project'), [String(TOPICS), work], { stdio: 'ignore' });
  execFileSync(path.join(BIN, 'folivane-cli'), ['webhelp', path.join(work, 'Generated.fvp')], {
    env: { ...process.env, APPDATA: path.join(work, 'appdata'), FOLIVANE_NO_OPEN: '1' },
    stdio: 'ignore',
  });
  site = path.join(work, 'Generated', 'build', 'webhelp');
  toc = JSON.parse(readFileSync(path.join(site, 'toc.json'), 'utf8')).roots;
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

async function openViewer(hash) {
  const page = await browser.newPage({ viewport: { width: 1200, height: 800 } });
  page.requests = [];
  page.errors = [];
  page.on('request', (r) => page.requests.push(r.url()));
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(pathToFileURL(path.join(site, 'index.html')).href + hash);
  return page;
}

const selected = (page) => page.$eval('#zd-toc [aria-selected="true"]', (li) => li.dataset.id);

test('a deep link, the keyboard, search and Back work in a site of 10,000 topics', async () => {
  const branch = toc[3].children[5];
  const leaf = branch.children[branch.children.length - 1];
  const page = await openViewer('#' + leaf.id);
  await page.waitForFunction((id) => document.getElementById('zd-frame').dataset.topic === id, leaf.id);
  assert.equal(await selected(page), leaf.id);
  assert.equal(await page.textContent('#zd-crumbs'), toc[3].title + branch.title + leaf.title);
  assert.equal(await page.$$eval('#zd-toc [role="treeitem"]', (li) => li.length),
    toc.length + toc[3].children.length + branch.children.length, 'only the open branches are drawn');

  // From the last child up out of the branch and into the next one, all by keyboard.
  await page.focus(`[data-id="${leaf.id}"]`);
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.id), toc[3].children[6].id);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.id), toc[3].children[6].children[0].id);
  await page.keyboard.press('End');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.id), toc[toc.length - 1].id);
  await page.keyboard.press('Home');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.id), toc[0].id);

  await page.fill('#zd-q', 'pasword');
  await page.waitForFunction(() => {
    const r = document.getElementById('zd-results');
    return r.querySelector('.zd-hit') && !r.hasAttribute('aria-busy');
  });
  assert.match(await page.textContent('#zd-results .zd-note'), /^50\+ topics/);
  assert.match(await page.innerHTML('#zd-hit-0 .zd-hit-text'), /<mark>password<\/mark>/i);
  // A hit far down the list gets its snippet when the list scrolls to it.
  const last = '#zd-results .zd-hit:last-child .zd-hit-text';
  assert.equal(await page.innerHTML(last), '', 'no snippet before the hit is in view');
  await page.$eval(last, (el) => el.scrollIntoView());
  await page.waitForFunction((sel) => /<mark>/i.test(document.querySelector(sel).innerHTML), last);
  // The query loaded a few parts of the index, never the whole of it.
  const parts = readdirSync(path.join(site, 'search')).filter((f) => f.startsWith('t')).length;
  const loaded = page.requests.filter((u) => /\/search\/t\d+\.js$/.test(u)).length;
  assert.ok(loaded >= 1 && loaded * 10 < parts, `${loaded} of ${parts} term parts loaded`);
  assert.ok(!page.requests.some((u) => u.endsWith('/search.js')), 'the full search.js stays unread');

  const target = await page.getAttribute('#zd-hit-0', 'href');
  await page.click('#zd-hit-0');
  await page.waitForFunction((h) => location.hash === h, target);
  await page.goBack();
  await page.waitForFunction((id) => document.getElementById('zd-frame').dataset.topic === id, leaf.id);
  assert.equal(await selected(page), leaf.id);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the Index tab of 10,000 topics lists an entry 200 topics share', async () => {
  const page = await openViewer('');
  await page.click('#zd-tab-index');
  await page.waitForSelector('#zd-index-list li');
  await page.fill('#zd-index-q', 'kw7');
  assert.deepEqual(await page.$$eval('#zd-index-list > li > button', (b) => b.map((e) => e.textContent)),
    [`kw7 (${TOPICS / 50})`]);
  await page.press('#zd-index-q', 'Enter');
  const first = await page.evaluate(() => document.activeElement.dataset.topic);
  await page.keyboard.press('Enter');
  await page.waitForFunction((id) => document.getElementById('zd-frame').dataset.topic === id, first);
  assert.deepEqual(page.errors, []);
  await page.close();
});
