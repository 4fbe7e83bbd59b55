// Opens the built editor page in headless Chromium with a stand-in for the host's
// message channel, and gives the tests a small vocabulary to drive it.
import { chromium } from 'playwright-core';
import { existsSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

export function editorPagePath() {
  const bin = process.env.FOLIVANE_BIN || join(process.cwd(), 'build', 'bin');
  const page = join(bin, 'AppFiles', 'editor', 'editor.html');
  if (!existsSync(page)) throw new Error('The editor page is not built: ' + page);
  return page;
}

function chromiumPath() {
  for (const candidate of [process.env.FOLIVANE_BROWSER, '/usr/bin/chromium', '/usr/bin/chromium-browser']) {
    if (candidate && existsSync(candidate)) return candidate;
  }
  throw new Error('Chromium is not installed');
}

export async function launchEditorBrowser() {
  return chromium.launch({ executablePath: chromiumPath(), headless: true, args: ['--no-sandbox', '--allow-file-access-from-files'] });
}

// A page with the editor loaded and "ready" received.
export async function openEditor(browser) {
  const context = await browser.newContext();
  const page = await context.newPage();
  page.on('pageerror', (e) => { throw e; });
  await page.addInitScript(() => {
    window.__posted = [];
    window.chrome = window.chrome || {};
    window.chrome.webview = {
      postMessage: (message) => window.__posted.push(JSON.parse(JSON.stringify(message))),
    };
  });
  await page.goto(pathToFileURL(editorPagePath()).href);
  await page.waitForFunction(() => window.__posted.some((m) => m.type === 'ready'));
  return new TEditorPage(page, context);
}

export class TEditorPage {
  constructor(page, context) {
    this.page = page;
    this.context = context;
  }

  async close() {
    await this.context.close();
  }

  // Sends one command as the host does: a string holding JSON text.
  async send(command) {
    await this.page.evaluate((text) => window.__zd_recv(text), JSON.stringify(command));
  }

  async exec(cmd, arg, origin = 'user') {
    const command = { type: 'exec', cmd, origin };
    if (arg !== undefined) command.arg = arg;
    await this.send(command);
  }

  async setHtml(html) {
    await this.send({ type: 'setHtml', html });
  }

  async posted(type) {
    const all = await this.page.evaluate(() => window.__posted);
    return type ? all.filter((m) => m.type === type) : all;
  }

  async clearPosted() {
    await this.page.evaluate(() => { window.__posted.length = 0; });
  }

  async getHtml() {
    await this.clearPosted();
    await this.send({ type: 'getHtml' });
    const answers = await this.posted('htmlResponse');
    return answers[0].html;
  }

  async bodyHtml() {
    return this.page.evaluate(() => document.getElementById('zd-body').innerHTML);
  }

  // Puts the caret inside the first element matching selector (at offset into its first text).
  async caretIn(selector, offset = 1) {
    await this.page.evaluate(([sel, off]) => {
      const ed = window.tinymce.get('zd-body') || window.tinymce.activeEditor;
      const el = document.querySelector(sel);
      const walker = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);
      const text = walker.nextNode();
      ed.focus();
      if (text) ed.selection.setCursorLocation(text, Math.min(off, text.length));
      else ed.selection.setCursorLocation(el, 0);
      ed.nodeChanged();
    }, [selector, offset]);
  }

  async select(selector) {
    await this.page.evaluate((sel) => {
      const ed = window.tinymce.get('zd-body');
      ed.focus();
      ed.selection.select(document.querySelector(sel), true);
      ed.nodeChanged();
    }, selector);
  }

  async lastCursorStyle() {
    const styles = await this.posted('cursorStyle');
    return styles[styles.length - 1];
  }
}
