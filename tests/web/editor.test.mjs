// The editor page in headless Chromium: commands in through __zd_recv, messages out
// through the host's postMessage.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchEditorBrowser, openEditor } from './lib/editor-page.mjs';

let browser;
before(async () => { browser = await launchEditorBrowser(); });
after(async () => { await browser?.close(); });

async function withEditor(fn) {
  const editor = await openEditor(browser);
  try {
    await fn(editor);
  } finally {
    await editor.close();
  }
}

test('ready is posted once and the two page functions exist', () => withEditor(async (ed) => {
  assert.equal((await ed.posted('ready')).length, 1);
  const kinds = await ed.page.evaluate(() => [typeof window.__zd_recv, typeof window.zdSetBaseHref]);
  assert.deepEqual(kinds, ['function', 'function']);
  await ed.page.evaluate(() => window.__zd_recv('not json'));
  await ed.page.evaluate(() => window.__zd_recv(42));
}));

test('setHtml reports with user false, user commands with user true', () => withEditor(async (ed) => {
  await ed.clearPosted();
  await ed.setHtml('<p>Hello world</p>');
  let changes = await ed.posted('htmlChanged');
  assert.equal(changes.length, 1);
  assert.equal(changes[0].user, false);
  assert.equal(changes[0].html, '<p>Hello world</p>');

  await ed.clearPosted();
  await ed.select('#zd-body p');
  await ed.exec('bold');
  changes = await ed.posted('htmlChanged');
  assert.equal(changes.at(-1).user, true);
  assert.match(changes.at(-1).html, /<strong>Hello world<\/strong>/);

  await ed.clearPosted();
  await ed.exec('italic', undefined, 'program');
  changes = await ed.posted('htmlChanged');
  assert.equal(changes.at(-1).user, false);

  // Typing is a user change, reported shortly after.
  await ed.clearPosted();
  await ed.caretIn('#zd-body p', 5);
  await ed.page.keyboard.type('XYZ');
  await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'htmlChanged' && /XYZ/.test(m.html)));
  changes = await ed.posted('htmlChanged');
  assert.equal(changes.at(-1).user, true);
  assert.match(changes.at(-1).html, /XYZ/);
}));

test('a pending typing report goes out before the answer to getHtml', () => withEditor(async (ed) => {
  await ed.setHtml('<p>abc</p>');
  await ed.caretIn('#zd-body p', 3);
  await ed.clearPosted();
  await ed.page.keyboard.type('d');
  // The first keystroke is reported at once, so the host can offer Save straight away.
  assert.deepEqual((await ed.posted('htmlChanged')).map((m) => m.html), ['<p>abcd</p>']);
  await ed.page.keyboard.type('e');
  await ed.send({ type: 'getHtml' });
  const types = (await ed.posted()).filter((m) => m.type !== 'cursorStyle').map((m) => m.type + ':' + (m.user ?? ''));
  assert.deepEqual(types, ['htmlChanged:true', 'htmlChanged:true', 'htmlResponse:']);
  assert.equal((await ed.posted('htmlResponse'))[0].html, '<p>abcde</p>');
}));

// The host attributes every message to a topic by the number of the last command taken
// before it was posted: typing flushed ahead of a command still carries the number before.
test('every message carries the number of the last command the page took', () => withEditor(async (ed) => {
  await ed.send({ type: 'setHtml', html: '<p>abc</p>', seq: 7 });
  await ed.caretIn('#zd-body p', 3);
  await ed.clearPosted();
  await ed.page.keyboard.type('de');
  await ed.send({ type: 'getHtml', seq: 8 });
  await ed.send({ type: 'exec', cmd: 'setHeaderBg', arg: '#ffeedd', origin: 'program', seq: 9 });
  const seen = (await ed.posted()).filter((m) => m.type !== 'cursorStyle').map((m) => `${m.type}:${m.seq}`);
  // The typing goes out in one or two reports, depending on how fast the page runs.
  assert.deepEqual(seen.filter((m, i) => m !== seen[i - 1]), ['htmlChanged:7', 'htmlResponse:8', 'headerChanged:9']);
  await ed.send({ type: 'getHtml', seq: 'x' });
  assert.equal((await ed.posted('htmlResponse')).at(-1).seq, 9, 'a number that is not one is ignored');
}));

test('cursorStyle describes bold 18 px red text in a list', () => withEditor(async (ed) => {
  await ed.setHtml('<ul><li>one <strong><span style="font-size: 18px; color: #ff0000;">red</span></strong></li></ul>'
    + '<h2 style="text-align: center; line-height: 1.5;">Title</h2>');
  await ed.clearPosted();
  await ed.caretIn('#zd-body span', 1);
  const s = await ed.lastCursorStyle();
  assert.equal(s.fontSizePx, 18);
  assert.equal(s.textColor, '#ff0000');
  assert.equal(s.bold, true);
  assert.equal(s.italic, false);
  assert.equal(s.underline, false);
  assert.equal(s.listType, 'ul');
  assert.equal(s.blockTag, 'li');
  assert.equal(s.align, 'left');
  assert.equal(s.area, 'body');
  assert.equal(typeof s.fontName, 'string');
  assert.equal(s.backColor, '');
  assert.match(s.lineHeight, /^([\d.]+px|[\d.]+|)$/);

  await ed.caretIn('#zd-body h2', 2);
  const h = await ed.lastCursorStyle();
  assert.equal(h.blockTag, 'h2');
  assert.equal(h.align, 'center');
  assert.equal(h.lineHeight, '1.5');
  assert.equal(h.listType, '');
  assert.equal(h.bold, true, 'headings are bold');

  // A project default of 1.15 at 16 px must read back as 1.15, not as a rounded 18px; a
  // larger word in the paragraph does not change the paragraph's spacing.
  await ed.exec('setDefaultFontSizePx', '16', 'program');
  await ed.exec('setDefaultLineHeight', '1.15', 'program');
  await ed.setHtml('<p>plain</p><p>second <span style="font-size: 30px;">big</span></p>');
  await ed.caretIn('#zd-body p:last-child', 2);
  await ed.caretIn('#zd-body p', 2);
  assert.equal((await ed.lastCursorStyle()).lineHeight, '1.15');
  await ed.caretIn('#zd-body span', 1);
  const big = await ed.lastCursorStyle();
  assert.equal(big.fontSizePx, 30);
  assert.equal(big.lineHeight, '1.15');
}));

test('a formatting change on a selection reports the style of the selected text', () => withEditor(async (ed) => {
  await ed.setHtml('<p>Hello world</p><p>Second line</p>');
  await ed.caretIn('#zd-body p', 2);
  await ed.page.keyboard.press('Control+A');
  await ed.clearPosted();
  await ed.page.keyboard.press('Control+I');
  await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'cursorStyle'));
  assert.equal((await ed.lastCursorStyle()).italic, true);
  await ed.clearPosted();
  await ed.page.keyboard.press('Control+I');
  await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'cursorStyle'));
  assert.equal((await ed.lastCursorStyle()).italic, false);

  await ed.clearPosted();
  await ed.exec('selectAll');
  await ed.exec('underline');
  const s = await ed.lastCursorStyle();
  assert.equal(s.underline, true);
  assert.equal(s.italic, false);
  // A user command that changes nothing is still answered: the toolbar flipped its button.
  await ed.clearPosted();
  await ed.exec('align', 'left');
  assert.equal((await ed.posted('cursorStyle')).length, 1);

  // A selection that begins at the end of one paragraph shows the text it covers.
  await ed.setHtml('<p>plain</p><h2><span style="font-size: 30px;">big</span> tail</h2>');
  await ed.page.evaluate(() => {
    const ed = window.tinymce.get('zd-body');
    const [plain, big] = [...document.querySelectorAll('#zd-body p, #zd-body span')].map((e) => e.firstChild);
    const rng = document.createRange();
    rng.setStart(plain, plain.length);
    rng.setEnd(big, 2);
    ed.focus();
    ed.selection.setRng(rng);
    ed.nodeChanged();
  });
  const big = await ed.lastCursorStyle();
  assert.equal(big.fontSizePx, 30);
  assert.equal(big.blockTag, 'h2');
  assert.equal(big.bold, true);
}));

test('a loaded topic puts the caret into its first text', () => withEditor(async (ed) => {
  await ed.clearPosted();
  await ed.setHtml('<div><style>.a{color:blue}</style></div><h1><span style="color: #ff0000;">Red title</span></h1><p>text</p>');
  await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'cursorStyle'));
  const s = await ed.lastCursorStyle();
  assert.equal(s.blockTag, 'h1');
  assert.equal(s.textColor, '#ff0000');
}));

test('headerChanged follows setHeaderHtml and setHeaderBg once, and answers getHeader', () => withEditor(async (ed) => {
  await ed.clearPosted();
  await ed.exec('setHeaderHtml', '<div><b>My topic</b></div>', 'program');
  await ed.exec('setHeaderBg', '#eeeeee', 'program');
  let reports = await ed.posted('headerChanged');
  assert.equal(reports.length, 1);
  assert.equal(reports[0].headerHtml, '<div><b>My topic</b></div>');
  assert.equal(reports[0].headerBg, '#eeeeee');
  await ed.clearPosted();
  await ed.send({ type: 'getHeader' });
  reports = await ed.posted('headerChanged');
  assert.equal(reports.length, 1);
  assert.equal(reports[0].headerBg, '#eeeeee');
  assert.equal(await ed.page.evaluate(() => getComputedStyle(document.getElementById('zd-header')).backgroundColor), 'rgb(238, 238, 238)');

  // The user's header edits are reported too, and the area change with them.
  await ed.clearPosted();
  await ed.page.click('#zd-header b');
  await ed.page.keyboard.press('End');
  await ed.page.keyboard.type('!');
  await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'headerChanged'));
  reports = await ed.posted('headerChanged');
  assert.match(reports.at(-1).headerHtml, /My topic!/);
  assert.deepEqual((await ed.posted('areaChanged')).map((m) => m.area), ['header']);
}));

test('table commands add and remove rows and columns', () => withEditor(async (ed) => {
  await ed.setHtml('<p>x</p>');
  await ed.caretIn('#zd-body p', 1);
  await ed.exec('setTableBorderWidth', '2', 'program');
  await ed.exec('setTableBorderColor', '#112233', 'program');
  await ed.exec('table', '2,3');
  const shape = () => ed.page.evaluate(() => {
    const t = document.querySelector('#zd-body table');
    return t ? Array.from(t.rows).map((r) => r.cells.length) : null;
  });
  assert.deepEqual(await shape(), [3, 3]);
  assert.match(await ed.getHtml(), /border: 2px solid #112233/);
  await ed.caretIn('#zd-body td', 0);
  await ed.exec('insertTableRowAfter');
  assert.deepEqual(await shape(), [3, 3, 3]);
  await ed.exec('insertTableColumnAfter');
  assert.deepEqual(await shape(), [4, 4, 4]);
  await ed.exec('removeTableColumn');
  assert.deepEqual(await shape(), [3, 3, 3]);
  await ed.exec('removeTableRow');
  assert.deepEqual(await shape(), [3, 3]);
  await ed.exec('table', '0,5');
  assert.equal(await ed.page.evaluate(() => document.querySelectorAll('#zd-body table').length), 1);

  // A header row: the first row's cells are header cells, the others data cells.
  await ed.setHtml('<p>x</p>');
  await ed.caretIn('#zd-body p', 1);
  await ed.exec('table', '3,2,header');
  const cells = await ed.page.evaluate(() =>
    Array.from(document.querySelector('#zd-body table').rows).map((r) => Array.from(r.cells).map((c) => c.nodeName).join()));
  assert.deepEqual(cells, ['TH,TH', 'TD,TD', 'TD,TD']);
  assert.match(await ed.getHtml(), /<th scope="col" style="border: 2px solid #112233/);
}));

test('a table beyond 100 rows or 30 columns is refused', () => withEditor(async (ed) => {
  await ed.setHtml('<p>text</p>');
  await ed.caretIn('#zd-body p', 4);
  for (const size of ['101,2', '2,31']) {
    await ed.exec('table', size);
    assert.doesNotMatch(await ed.getHtml(), /<table/, size);
  }
  await ed.exec('table', '100,30');
  const shape = await ed.page.evaluate(() => {
    const table = document.querySelector('#zd-body table');
    return [table.rows.length, table.rows[0].cells.length];
  });
  assert.deepEqual(shape, [100, 30]);
}));

test('links, topic links and images', () => withEditor(async (ed) => {
  await ed.setHtml('<p>see </p>');
  await ed.caretIn('#zd-body p', 4);
  await ed.exec('topicLink', JSON.stringify({ href: 'doc:0123456789ABCDEF0123456789ABCDEF', text: 'Say "hi" & <Grüße> 日本' }));
  let html = await ed.getHtml();
  assert.match(html, /<a href="doc:0123456789ABCDEF0123456789ABCDEF">Say "hi" &amp; &lt;Grüße&gt; 日本<\/a>/);

  await ed.exec('link', 'https://example.com/?a=1&b="2"');
  html = await ed.getHtml();
  assert.match(html, /href="https:\/\/example\.com\/\?a=1&amp;b=&quot;2&quot;"/);
  // The caret inside a link: the toolbar hears its address, and an empty link command
  // removes the whole link, keeping its text.
  await ed.setHtml('<p>go <a href="https://example.com/x">there now</a>.</p>');
  await ed.page.evaluate(() => {
    const ed = window.tinymce.get('zd-body');
    const text = document.querySelector('#zd-body a').firstChild;
    ed.focus();
    ed.selection.setCursorLocation(text, 3);
    ed.nodeChanged();
  });
  await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'cursorStyle' && m.linkHref === 'https://example.com/x'));
  await ed.exec('link', '');
  assert.equal(await ed.getHtml(), '<p>go there now.</p>');
  await ed.setHtml('<p>see </p>');
  await ed.caretIn('#zd-body p', 4);

  await ed.exec('image', 'assets/images/a b.png');
  assert.match(await ed.getHtml(), /<img src="assets\/images\/a b.png" alt="">/);
  await ed.select('#zd-body img');
  await ed.exec('replaceSelectedImage', 'assets/images/c.png');
  html = await ed.getHtml();
  assert.match(html, /src="assets\/images\/c.png"/);
  assert.doesNotMatch(html, /data-mce/);
  await ed.select('#zd-body img');
  await ed.exec('removeSelectedImage');
  assert.doesNotMatch(await ed.getHtml(), /<img/);
  // Replacing with no picture selected puts the chosen picture at the caret.
  await ed.caretIn('#zd-body p', 1);
  await ed.exec('replaceSelectedImage', 'assets/images/d.png');
  assert.match(await ed.getHtml(), /<img src="assets\/images\/d.png" alt="">/);
}));

// A picture 200 by 100 pixels, so that its natural size is known.
const PICTURE = 'data:image/svg+xml,' + encodeURIComponent(
  '<svg xmlns="http://www.w3.org/2000/svg" width="200" height="100"><rect width="200" height="100"/></svg>');

test('image properties set alternative text, size and a caption, each change one undo step', () => withEditor(async (ed) => {
  await ed.setHtml(`<p>before <img src="${PICTURE}" alt="old"> after</p><p><img src="${PICTURE}" alt=""></p>`);
  await ed.page.waitForFunction(() => [...document.querySelectorAll('#zd-body img')].every((i) => i.complete));
  const imgs = () => ed.page.evaluate(() => [...document.querySelectorAll('#zd-body img')].map((i) => i.outerHTML));

  // The toolbar hears the selected picture; a caret in text hears none.
  await ed.select('#zd-body img');
  let style = await ed.lastCursorStyle();
  assert.deepEqual(style.image, { alt: 'old', width: 0, height: 0, naturalWidth: 200, naturalHeight: 100, caption: '' });
  await ed.caretIn('#zd-body p', 2);
  assert.equal((await ed.lastCursorStyle()).image, null);

  // A picture inside a sentence: the caption splits the paragraph around the figure.
  await ed.select('#zd-body img');
  await ed.exec('imageProperties', JSON.stringify({ alt: 'A "chart" <1>', width: 100, height: 50, caption: ' Figure 1 ' }));
  style = await ed.lastCursorStyle();
  assert.equal(style.image.caption, 'Figure 1');
  assert.equal(style.image.width, 100);
  let html = await ed.getHtml();
  assert.match(html, /<p>before <\/p><figure><img [^>]*><figcaption>Figure 1<\/figcaption><\/figure><p> after<\/p>/);
  assert.match(html, /alt="A &quot;chart&quot; &lt;1&gt;"/);
  assert.match(html, /width="100" height="50"/);
  assert.doesNotMatch(html, /style=|data-mce/);

  // Out of proportion, the height goes into the picture's style, where height: auto cannot undo it.
  await ed.exec('imageProperties', JSON.stringify({ alt: 'A', width: 100, height: 80, caption: 'Figure 1' }));
  assert.match((await imgs())[0], /style="height: 80px;"/);
  // Natural size and no caption: the attributes go, the figure becomes a paragraph again.
  await ed.exec('imageProperties', JSON.stringify({ alt: '', width: 0, height: 0, caption: '' }));
  html = await ed.getHtml();
  assert.doesNotMatch(html, /figure|width=|height=|style=/);
  assert.match(html, /<p><img src="[^"]*" alt=""><\/p>/);
  // Each change was one step.
  await ed.exec('undo');
  await ed.exec('undo');
  assert.match(await ed.getHtml(), /<figure><img [^>]*width="100" height="50"[^>]*><figcaption>Figure 1<\/figcaption><\/figure>/);

  // A picture alone in its paragraph: that paragraph becomes the figure; removing the
  // picture removes its figure too.
  await ed.select('#zd-body p:last-of-type img');
  await ed.exec('imageProperties', JSON.stringify({ alt: 'B', width: 0, height: 0, caption: 'Figure 2' }));
  html = await ed.getHtml();
  assert.match(html, /<figure><img src="[^"]*" alt="B"><figcaption>Figure 2<\/figcaption><\/figure>$/);
  await ed.select('#zd-body figure:last-of-type img');
  await ed.page.keyboard.press('Delete');
  html = await ed.getHtml();
  assert.doesNotMatch(html, /Figure 2/);
  assert.match(html, /Figure 1/);
  await ed.select('#zd-body figure img');
  await ed.exec('removeSelectedImage');
  assert.doesNotMatch(await ed.getHtml(), /figure/);
  // Nothing selected: nothing changes.
  await ed.caretIn('#zd-body p', 1);
  const unchanged = await ed.getHtml();
  await ed.exec('imageProperties', JSON.stringify({ alt: 'C', width: 10, height: 10, caption: 'x' }));
  assert.equal(await ed.getHtml(), unchanged);
}));

test("the project's words are kept from the spell checker and never saved", () => withEditor(async (ed) => {
  await ed.setHtml('<p>Folivane and folivane, Folivanes; Zorp Zorp.</p>');
  await ed.page.evaluate(() => window.__zd_recv(JSON.stringify({ type: 'setWords', words: ['Folivane', 'Zorp', 7, ''] })));
  const wrapped = () => ed.page.evaluate(() =>
    Array.from(document.querySelectorAll('#zd-body [spellcheck="false"]')).map((s) => s.textContent));
  // Whole words only, letter case kept.
  assert.deepEqual(await wrapped(), ['Folivane', 'Zorp', 'Zorp']);
  assert.equal(await ed.getHtml(), '<p>Folivane and folivane, Folivanes; Zorp Zorp.</p>');

  // Typing after a listed word takes the spelling check back; the caret stays in place.
  await ed.page.evaluate(() => {
    const ed = window.tinymce.get('zd-body');
    const zorp = document.querySelectorAll('#zd-body [spellcheck="false"]')[1].firstChild;
    ed.focus();
    ed.selection.setCursorLocation(zorp, zorp.length);
  });
  await ed.page.keyboard.type('ix');
  await ed.page.waitForFunction(() => !Array.from(document.querySelectorAll('#zd-body [spellcheck="false"]'))
    .some((s) => s.textContent === 'Zorpix'), null, { timeout: 5000 });
  await ed.page.keyboard.type(' Folivane');
  await ed.page.waitForFunction(() => document.querySelectorAll('#zd-body [spellcheck="false"]').length === 3,
    null, { timeout: 5000 });
  await ed.page.keyboard.type('!');
  assert.equal(await ed.getHtml(), '<p>Folivane and folivane, Folivanes; Zorpix Folivane! Zorp.</p>');

  // A new list replaces the old one.
  await ed.page.evaluate(() => window.__zd_recv(JSON.stringify({ type: 'setWords', words: ['folivane'] })));
  assert.deepEqual(await wrapped(), ['folivane']);

  // Reusable-content tokens are not checked either.
  await ed.setHtml('<p>{var:Prodct} and {endcond}, not {Prodct}.</p>');
  await ed.page.waitForFunction(() => document.querySelectorAll('#zd-body [spellcheck="false"]').length === 2);
  assert.deepEqual(await wrapped(), ['{var:Prodct}', '{endcond}']);
  assert.equal(await ed.getHtml(), '<p>{var:Prodct} and {endcond}, not {Prodct}.</p>');
}));

test('a build profile greys what it leaves out, and the topic stays as it is', () => withEditor(async (ed) => {
  const html = '<p>All {begincond:Pro}Pro only <b>bold</b>{endcond} again.</p>'
    + '<p>{begincond:Beta}Beta {begincond:Pro}nested{endcond}<img src="a.png" alt="a"></p><p>{endcond}after</p>';
  await ed.setHtml(html);
  const send = (active, on) => ed.page.evaluate((c) => window.__zd_recv(JSON.stringify(c)),
    { type: 'setLeftOut', active, on });
  const greyed = () => ed.page.evaluate(() => ({
    text: Array.from(document.querySelectorAll('#zd-body [data-zd-left-out]')).map((s) => s.textContent),
    pictures: document.querySelectorAll('#zd-body img[data-mce-zd-left-out]').length,
  }));
  await send(true, ['pro']);  // names in any letter case; Beta is off
  assert.deepEqual(await greyed(), { text: ['Beta ', 'nested'], pictures: 1 });
  assert.equal(await ed.getHtml(), html);
  await send(true, ['Beta']);
  assert.deepEqual(await greyed(), { text: ['Pro only ', 'bold', 'nested'], pictures: 0 });
  assert.equal(await ed.getHtml(), html);
  // Another topic is greyed the same way, once the page has taken it in; no profile shows
  // the page plain.
  await ed.setHtml('<p>{begincond:Pro}x{endcond}</p>');
  await ed.page.waitForFunction(() => document.querySelector('#zd-body [data-zd-left-out]'));
  assert.deepEqual(await greyed(), { text: ['x'], pictures: 0 });
  await send(false, []);
  assert.deepEqual(await greyed(), { text: [], pictures: 0 });
}));

test('character, block, list, alignment and colour commands', () => withEditor(async (ed) => {
  await ed.setHtml('<p>alpha beta</p>');
  await ed.select('#zd-body p');
  await ed.exec('fontSizePx', '18');
  await ed.exec('foreColor', '#ff0000');
  await ed.exec('fontName', 'Georgia');
  await ed.exec('backColor', '#ffff00');
  let html = await ed.getHtml();
  assert.match(html, /font-size: 18px/);
  assert.match(html, /color: #ff0000|color: rgb\(255, 0, 0\)/);
  assert.match(html, /font-family: Georgia/);
  assert.match(html, /background-color: #ffff00|background-color: rgb\(255, 255, 0\)/);
  await ed.select('#zd-body p');
  await ed.exec('backColor');
  assert.doesNotMatch(await ed.getHtml(), /background-color/);

  await ed.exec('h1');
  assert.match(await ed.getHtml(), /^<h1>/);
  await ed.exec('align', 'center');
  assert.match(await ed.getHtml(), /<h1 style="text-align: center;">/);
  await ed.exec('p');
  await ed.exec('lineHeight', '1.5');
  assert.match(await ed.getHtml(), /line-height: 1.5/);
  await ed.exec('ul');
  assert.match(await ed.getHtml(), /^<ul>\s*<li/);
  await ed.exec('ol');
  assert.match(await ed.getHtml(), /^<ol>\s*<li/);
  await ed.exec('undo');
  assert.match(await ed.getHtml(), /^<ul>/);
  await ed.exec('redo');
  assert.match(await ed.getHtml(), /^<ol>/);
  await ed.exec('selectAll');
  await ed.exec('delete');
  assert.doesNotMatch(await ed.getHtml(), /alpha/);
}));

test('undo right after a topic is loaded never brings back the previous topic', () => withEditor(async (ed) => {
  await ed.setHtml('<p>one</p>');
  await ed.caretIn('#zd-body p', 3);
  await ed.page.keyboard.type('X');
  await ed.exec('bold');
  // The next topic and an Undo arrive together, before the page has drawn a frame.
  await ed.page.evaluate(() => {
    window.__zd_recv(JSON.stringify({ type: 'setHtml', html: '<p>two</p>' }));
    window.__zd_recv(JSON.stringify({ type: 'exec', cmd: 'undo', origin: 'user' }));
  });
  assert.equal(await ed.getHtml(), '<p>two</p>');
}));

test('a heading chosen in the heading box keeps its size to itself', () => withEditor(async (ed) => {
  // The host sends the block command and then the heading's size, as the heading box does.
  await ed.setHtml('<p>Title</p>');
  await ed.caretIn('#zd-body p', 5);
  await ed.exec('h1');
  const size = await ed.page.evaluate(() => getComputedStyle(document.querySelector('#zd-body h1')).fontSize);
  await ed.exec('fontSizePx', String(parseInt(size, 10)));
  await ed.page.keyboard.press('Enter');
  await ed.page.keyboard.type('body text');
  assert.equal(await ed.getHtml(), '<h1>Title</h1><p>body text</p>');

  // With a word selected, and back to standard text: no size is pinned either way.
  await ed.setHtml('<p>alpha beta</p>');
  await ed.select('#zd-body p');
  await ed.exec('h2');
  await ed.exec('fontSizePx', await ed.page.evaluate(() => String(parseInt(getComputedStyle(document.querySelector('#zd-body h2')).fontSize, 10))));
  await ed.exec('p');
  await ed.exec('fontSizePx', '16');
  assert.equal(await ed.getHtml(), '<p>alpha beta</p>');
  // A size chosen in the size box still applies to the selection.
  await ed.select('#zd-body p');
  await ed.exec('fontSizePx', '16');
  assert.match(await ed.getHtml(), /font-size: 16px/);
}));

test('a heading takes the whole paragraph at the size the project gives headings', () => withEditor(async (ed) => {
  const dir = mkdtempSync(join(tmpdir(), 'folivane-css-'));
  try {
    const css = join(dir, 'editor_effective.css');
    writeFileSync(css, 'body { font-size: 16px; } h1 { font-size: 32px; } h2 { font-size: 24px; }');
    await ed.exec('setCssFile', css, 'program');
    // A paragraph as topics made by earlier versions carry it, the caret inside a word.
    await ed.setHtml('<p style="font-family: \'Segoe UI\', Arial, sans-serif; font-size: 16px; color: #000000; '
      + 'line-height: 1.5;">Installing the agent</p>');
    await ed.caretIn('#zd-body p', 3);
    await ed.exec('h1');
    await ed.exec('fontSizePx', '32');
    await ed.page.waitForFunction(() => getComputedStyle(document.querySelector('#zd-body h1')).fontSize === '32px',
      null, { timeout: 5000 });
    let html = await ed.getHtml();
    assert.doesNotMatch(html, /font-size|<span/);
    assert.match(html, /^<h1[^>]*>Installing the agent<\/h1>$/);
    // A word the writer had made larger follows the heading too.
    await ed.setHtml('<p>Before you start</p>');
    await ed.page.evaluate(() => {
      const ed = window.tinymce.get('zd-body');
      const text = ed.getBody().querySelector('p').firstChild;
      const r = document.createRange();
      r.setStart(text, 7);
      r.setEnd(text, 10);
      ed.focus();
      ed.selection.setRng(r);
    });
    await ed.exec('fontSizePx', '20');
    assert.match(await ed.getHtml(), /<span style="font-size: 20px;">you<\/span>/);
    await ed.caretIn('#zd-body p', 2);
    await ed.exec('h2');
    await ed.exec('fontSizePx', '24');
    assert.equal(await ed.getHtml(), '<h2>Before you start</h2>');
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}));

test('Tab indents and Shift+Tab outdents; the focus stays in the page', () => withEditor(async (ed) => {
  await ed.setHtml('<p>first</p><ul><li>one</li><li>two</li></ul>');
  await ed.caretIn('#zd-body p', 5);
  await ed.page.keyboard.press('Tab');
  await ed.page.keyboard.type('X');
  assert.equal(await ed.page.evaluate(() => document.activeElement.id), 'zd-body');
  let html = await ed.getHtml();
  assert.match(html, /^<p style="padding-left: \d+px;">firstX<\/p>/);
  await ed.page.keyboard.press('Shift+Tab');
  await ed.page.keyboard.type('Y');
  html = await ed.getHtml();
  assert.match(html, /^<p>firstXY<\/p>/);
  // In a list, Tab nests the item as before.
  await ed.caretIn('#zd-body li:nth-child(2)', 3);
  await ed.page.keyboard.press('Tab');
  await ed.page.keyboard.type('Z');
  assert.match(await ed.getHtml(), /<ul>\s*<li>one\s*<ul>\s*<li>twoZ<\/li>\s*<\/ul>\s*<\/li>\s*<\/ul>/);
  assert.equal(await ed.page.evaluate(() => document.activeElement.id), 'zd-body');
}));

test('a list turned back into paragraphs keeps their alignment and line spacing', () => withEditor(async (ed) => {
  await ed.setHtml('<p style="text-align: center; line-height: 2;">one</p><p style="line-height: 1.5;">two</p>');
  await ed.page.evaluate(() => {
    const ed = window.tinymce.get('zd-body');
    const ps = ed.getBody().querySelectorAll('p');
    const r = document.createRange();
    r.setStart(ps[0].firstChild, 0);
    r.setEnd(ps[1].firstChild, 3);
    ed.focus();
    ed.selection.setRng(r);
  });
  await ed.exec('ul');
  assert.match(await ed.getHtml(), /^<ul>/);
  await ed.exec('ul');
  assert.equal(await ed.getHtml(), '<p style="text-align: center; line-height: 2;">one</p><p style="line-height: 1.5;">two</p>');
  await ed.exec('undo');
  assert.match(await ed.getHtml(), /^<ul>/);
  await ed.exec('redo');
  assert.match(await ed.getHtml(), /^<p style="text-align: center; line-height: 2;">/);
}));

test('program defaults change the typing defaults, not the topic', () => withEditor(async (ed) => {
  const topic = '<p style="line-height: 2;">keep me</p>';
  await ed.setHtml(topic);
  for (const [cmd, arg] of [['fontName', 'Verdana'], ['fontSizePx', '16'], ['foreColor', '#333333'], ['lineHeight', '1.5'], ['backColor', undefined]]) {
    await ed.exec(cmd, arg, 'program');
  }
  await ed.exec('setDefaultFontSizePx', '15', 'program');
  assert.equal(await ed.getHtml(), topic);
  const size = await ed.page.evaluate(() => getComputedStyle(document.getElementById('zd-body')).fontSize);
  assert.equal(size, '15px');
  await ed.exec('setPageBg', '#f0f0f0', 'program');
  assert.equal(await ed.page.evaluate(() => getComputedStyle(document.body).backgroundColor), 'rgb(240, 240, 240)');
}));

test('imported markup survives a getHtml round trip without editor artefacts', () => withEditor(async (ed) => {
  const imported = '<link rel="stylesheet" href="assets/css/site.css">\n<style>.s{display: block}</style>\n'
    + '<div class="dark" lang="de"><div id="a" class="card" data-x="1"><p class="lead" style="margin: 0px 0px 4px;">Hi <span class="tag">x</span></p>'
    + '<img src="assets/images/a b.png" srcset="assets/images/a b.png 1x" width="20"></div></div>';
  await ed.setHtml('<p>start</p>');
  await ed.caretIn('#zd-body p', 5);
  await ed.exec('insertHTML', imported);
  const html = await ed.getHtml();
  for (const part of ['<link rel="stylesheet" href="assets/css/site.css">', '<style>.s{display: block}</style>',
    'class="dark"', 'lang="de"', 'data-x="1"', 'class="lead"', 'style="margin: 0px 0px 4px;"',
    'srcset="assets/images/a b.png 1x"', '<span class="tag">x</span>']) {
    assert.ok(html.includes(part), part + ' in ' + html);
  }
  assert.doesNotMatch(html, /data-mce|mce-|contenteditable/);
  await ed.setHtml(html);
  assert.equal(await ed.getHtml(), html);
}));

test('handlers in a topic never run in the editor and come back unchanged', () => withEditor(async (ed) => {
  const topic = '<p>x<img src="missing-picture.png" onerror="window.__ran = 1"></p><p></p>';
  await ed.setHtml(topic);
  await ed.page.waitForTimeout(300);
  assert.equal(await ed.page.evaluate(() => window.__ran), undefined);
  assert.equal(await ed.getHtml(), topic);
}));

test('pasting from a word processor keeps structure and drops Office markup', () => withEditor(async (ed) => {
  await ed.setHtml('<p>x</p>');
  await ed.caretIn('#zd-body p', 1);
  const office = '<html xmlns:o="urn:schemas-microsoft-com:office:office"><head><style>p.MsoNormal{mso-style-parent:"";}</style></head><body>'
    + '<!--[if gte mso 9]><xml><o:OfficeDocumentSettings/></xml><![endif]-->'
    + '<h1 class="MsoTitle">Heading<o:p></o:p></h1>'
    + '<p class="MsoNormal" style="mso-margin-top-alt:auto;color:#123456"><b>Bold</b> and <i>italic</i> <a href="https://e.com">link</a><o:p></o:p></p>'
    + '<p class="MsoListParagraph" style="mso-list:l0 level1 lfo1"><span style="mso-list:Ignore">·<span>  </span></span>First</p>'
    + '<p class="MsoListParagraph" style="mso-list:l0 level1 lfo1"><span style="mso-list:Ignore">·<span>  </span></span>Second</p>'
    + '<table class="MsoTableGrid" border="1"><tr><td style="mso-border-alt:solid">cell</td></tr></table></body></html>';
  await ed.page.evaluate((data) => {
    const ed = window.tinymce.get('zd-body');
    const dt = new DataTransfer();
    dt.setData('text/html', data);
    dt.setData('text/plain', 'plain');
    ed.getBody().dispatchEvent(new ClipboardEvent('paste', { clipboardData: dt, bubbles: true, cancelable: true }));
  }, office);
  await ed.page.waitForFunction(() => /Heading/.test(document.getElementById('zd-body').innerHTML));
  const html = await ed.getHtml();
  assert.match(html, /<h1>Heading<\/h1>/);
  assert.match(html, /<(b|strong)>Bold<\/(b|strong)>/);
  assert.match(html, /<(i|em)>italic<\/(i|em)>/);
  assert.match(html, /<a href="https:\/\/e.com">link<\/a>/);
  assert.match(html, /<ul>\s*<li>First<\/li>\s*<li>Second<\/li>\s*<\/ul>/);
  assert.match(html, /<table[^>]*>[\s\S]*cell/);
  assert.doesNotMatch(html, /mso-|Mso|o:p|\[if/i);
}));

test('the caret is reported again once the project style sheet has loaded', () => withEditor(async (ed) => {
  const dir = mkdtempSync(join(tmpdir(), 'folivane-css-'));
  try {
    const css = join(dir, 'editor_effective.css');
    writeFileSync(css, '#zd-body h1 { line-height: 1.25; font-size: 40px; }');
    await ed.setHtml('<h1>Title</h1><p>text</p>');
    await ed.caretIn('#zd-body h1', 2);
    assert.notEqual((await ed.lastCursorStyle()).fontSizePx, 40);
    await ed.clearPosted();
    await ed.exec('setCssFile', join(dir, 'missing.css'), 'program');
    await ed.exec('setCssFile', css, 'program');
    await ed.page.waitForFunction(() => window.__posted.some((m) => m.type === 'cursorStyle' && m.fontSizePx === 40), null, { timeout: 5000 });
    assert.equal((await ed.lastCursorStyle()).lineHeight, '1.25');
    // One sheet is left: the newest.
    const links = await ed.page.evaluate(() => [...document.querySelectorAll('link.zd-project-css')].map((l) => l.id + ' ' + l.getAttribute('href')));
    assert.equal(links.length, 1);
    assert.match(links[0], /^zd-project-css file:\/\/.*\/editor_effective\.css\?t=\d+$/);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}));

test('base href and the project style sheet apply to the content', () => withEditor(async (ed) => {
  await ed.page.evaluate(() => window.zdSetBaseHref('file:///tmp/project dir/'));
  await ed.exec('setCssFile', '/tmp/project dir/internal/editor/editor_effective.css', 'program');
  const [base, css] = await ed.page.evaluate(() => [document.baseURI, document.getElementById('zd-project-css').getAttribute('href')]);
  assert.equal(base, 'file:///tmp/project%20dir/');
  assert.match(css, /^file:\/\/\/tmp\/project%20dir\/internal\/editor\/editor_effective.css/);
  const spell = await ed.page.evaluate(() => document.getElementById('zd-body').spellcheck);
  assert.equal(spell, true);
}));
