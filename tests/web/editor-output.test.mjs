// What the editor shows is what gets published: one topic in the editor page, with the
// style sheet the window gives it, against the same topic published as WebHelp. The
// block spacing, sizes, fonts and line heights the reader sees must be the editor's.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launchEditorBrowser, openEditor } from './lib/editor-page.mjs';

const BIN = process.env.FOLIVANE_BIN || path.join(process.cwd(), 'build', 'bin');

// Paragraphs (one typed in a new topic and one the writer formatted), headings, nested
// lists, a table and a captioned picture.
const TOPIC = '<h1>Installing the agent</h1><p>First paragraph</p><p>Second paragraph</p>'
  + '<h2>Before you start</h2><ul><li>one</li><li>two<ul><li>nested</li></ul></li></ul>'
  + '<h3>Steps</h3><ol><li>first step</li></ol><p><span style="font-size: 20px;">big</span> words</p>'
  + '<table><tbody><tr><td>cell</td><td><p>cell paragraph</p></td></tr></tbody></table>'
  + '<figure><img src="assets/images/none.png" alt=""><figcaption>Figure 1</figcaption></figure><p>Last</p>';

const SELECTORS = ['p', 'h1', 'h2', 'h3', 'ul', 'ol', 'li', 'li li', 'td', 'td p', 'span', 'figure', 'figcaption'];
const PROPERTIES = ['marginTop', 'marginBottom', 'marginLeft', 'fontSize', 'fontFamily', 'fontWeight', 'lineHeight',
  'color', 'textAlign', 'display'];
// The indent of lists; a table cell's padding is the table's business, not the text's.
const LIST_PROPERTIES = ['paddingLeft'];

let work;
let browser;
let project;
let topicId;

// The project's JSON files start with a byte order mark.
function readJson(file) {
  return JSON.parse(readFileSync(file, 'utf8').replace(/^\uFEFF/, ''));
}

function run(file, args) {
  return execFileSync(path.join(BIN, file), args, {
    env: { ...process.env, APPDATA: path.join(work, 'appdata'), FOLIVANE_NO_OPEN: '1' },
    encoding: 'utf8',
  });
}

before(async () => {
  work = mkdtempSync(path.join(tmpdir(), 'folivane-editor-output-'));
  const fvp = path.join(work, 'Guide.fvp');
  run('folivane-cli', ['new', fvp, '--title', 'Guide']);
  project = path.join(work, 'Guide');
  const settingsFile = path.join(project, 'meta', 'project_settings.json');
  const settings = readJson(settingsFile);
  Object.assign(settings, { FontSizeBody: 15, FontSizeH1: 30, FontSizeH2: 22, DefaultLineSpacing: 1.15,
    DefaultFontName: 'DejaVu Sans', DefaultTextColor: '#223344' });
  writeFileSync(settingsFile, JSON.stringify(settings));
  const topics = readJson(path.join(project, 'meta', 'topics.json'));
  topicId = JSON.stringify(topics).match(/[0-9A-F]{32}/i)[0];
  writeFileSync(path.join(project, 'topics', topicId + '.html'), TOPIC);
  run('folivane-cli', ['webhelp', fvp]);
  browser = await launchEditorBrowser();
});

after(async () => {
  await browser?.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

async function computed(page, root) {
  return page.evaluate(([rootSel, selectors, properties, listProperties]) => {
    const out = {};
    for (const sel of selectors) {
      const el = document.querySelector(rootSel + ' ' + sel);
      if (!el) { out[sel] = null; continue; }
      const style = getComputedStyle(el);
      const names = /^(ul|ol)$/.test(sel) ? properties.concat(listProperties) : properties;
      out[sel] = Object.fromEntries(names.map((p) => [p, style[p]]));
    }
    return out;
  }, [root, SELECTORS, PROPERTIES, LIST_PROPERTIES]);
}

test('paragraphs, headings, lists, table cells and captions look alike in the editor and in WebHelp', async () => {
  const cssPath = run('folivane-test-editor-css', [path.join(work, 'Guide.fvp')]).trim();
  const settings = readJson(path.join(project, 'meta', 'project_settings.json'));

  const ed = await openEditor(browser);
  try {
    // As the window does: the topic, the project's style sheet, then the typing defaults.
    await ed.page.evaluate((url) => window.zdSetBaseHref(url), pathToFileURL(project + '/').href);
    await ed.setHtml(TOPIC);
    await ed.exec('setCssFile', cssPath, 'program');
    await ed.exec('foreColor', settings.DefaultTextColor, 'program');
    await ed.exec('fontName', settings.DefaultFontName, 'program');
    await ed.exec('fontSizePx', String(settings.FontSizeBody), 'program');
    await ed.exec('lineHeight', '1.15', 'program');
    await ed.page.waitForFunction(() => getComputedStyle(document.querySelector('#zd-body h1')).fontSize === '30px',
      null, { timeout: 5000 });
    const inEditor = await computed(ed.page, '#zd-body');

    const page = await browser.newPage();
    try {
      await page.goto(pathToFileURL(path.join(project, 'build', 'webhelp', 'topics', topicId + '.html')).href);
      const published = await computed(page, '.zd-page-body');
      for (const sel of SELECTORS) {
        assert.ok(published[sel], 'the published page has ' + sel);
        assert.deepEqual(inEditor[sel], published[sel], sel);
      }
      // The project's sizes and font reach the text.
      assert.equal(published.p.fontSize, '15px');
      assert.equal(published.h2.fontSize, '22px');
      assert.equal(published.span.fontSize, '20px');
      assert.match(published.p.fontFamily, /^"DejaVu Sans", Arial, .*sans-serif$/);
    } finally {
      await page.close();
    }
  } finally {
    await ed.close();
  }
});
