// The page's side of a topic switch: setHtml of a 200 KB topic until the next frame
// has it laid out. Run: node bench/editor_switch.mjs (after building the page).
import { launchEditorBrowser, openEditor } from '../tests/web/lib/editor-page.mjs';

function topicHtml(n) {
  let html = '';
  for (let i = 0; html.length < n; ++i) {
    html += `<p style="font-family:Segoe UI;font-size:14px;">Paragraph ${i} with <b>bold</b>, `
      + '<a href="doc:0123456789ABCDEF0123456789ABCDEF">a link</a> and café "quotes" — text.</p>\r\n';
  }
  return html;
}

const browser = await launchEditorBrowser();
const editor = await openEditor(browser);
const topics = [topicHtml(200 * 1024), topicHtml(200 * 1024).replace(/Paragraph/g, 'Absatz')];
const times = [];
for (let i = 0; i < 12; ++i) {
  const command = JSON.stringify({ type: 'setHtml', html: topics[i % 2] });
  times.push(await editor.page.evaluate((text) => new Promise((resolve) => {
    const start = performance.now();
    window.__zd_recv(text);
    // The next frame, with the new content laid out.
    requestAnimationFrame(() => {
      document.getElementById('zd-body').getBoundingClientRect();
      resolve(performance.now() - start);
    });
  }), command));
}
times.splice(0, 2);
times.sort((a, b) => a - b);
console.log(`setHtml of a 200 KB topic until laid out in the next frame: median ${times[times.length >> 1].toFixed(1)} ms, `
  + `min ${times[0].toFixed(1)} ms, max ${times[times.length - 1].toFixed(1)} ms (${times.length} runs)`);
await editor.close();
await browser.close();
