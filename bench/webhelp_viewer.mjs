// The WebHelp viewer with large sites: publishes gen_project sites with folivane-cli and
// times, in headless Chromium, how long a reader waits from opening index.html to the first
// result of a query typed at once, from disk and from a local HTTP server; with the viewer's
// JavaScript heap after the answer and the longest task that blocked the page.
//
//   node bench/webhelp_viewer.mjs [--bin build/bin] [--runs 3] [--cpu] [sizes...]   (default 2000 10000)
//
// --cpu adds a traced run for each row and prints the CPU time of the longest task on the
// page's main thread and the main thread's CPU time up to the first result: on a busy
// machine wall time counts the time given to other programs as well, CPU time only the
// viewer's own work.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launchBrowser } from '../tests/web/lib/browser.mjs';

const args = process.argv.slice(2);
function option(name, fallback) {
  const at = args.indexOf(name);
  if (at < 0) return fallback;
  const value = args[at + 1];
  args.splice(at, 2);
  return value;
}
const cpuAt = args.indexOf('--cpu');
const cpu = cpuAt >= 0;
if (cpu) args.splice(cpuAt, 1);
const bin = path.resolve(option('--bin', 'build/bin'));
const runs = Number(option('--runs', '3'));
const sizes = args.length ? args.map(Number) : [2000, 10000];
// A word of every generated page, a prefix and a typo: each loads different parts.
const QUERIES = ['password', 'configur', 'pasword'];

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json' };

function serve(root) {
  const server = createServer((req, res) => {
    const rel = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(root, path.normalize(rel).replace(/^(\.\.[/\\])+/, ''));
    try {
      const body = readFileSync(file);
      res.writeHead(200, { 'content-type': TYPES[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    } catch {
      res.writeHead(404);
      res.end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function publish(work, n) {
  const dir = path.join(work, 'n' + n);
  execFileSync(path.join(bin, 'gen_project'), [String(n), dir], { stdio: 'ignore' });
  execFileSync(path.join(bin, 'folivane-cli'), ['webhelp', path.join(dir, 'Generated.fvp')], {
    env: { ...process.env, APPDATA: path.join(work, 'appdata'), FOLIVANE_NO_OPEN: '1' },
    stdio: 'ignore',
  });
  return path.join(dir, 'Generated', 'build', 'webhelp');
}

// Types the query the moment the search box is in the page (a reader who types at once,
// without the delay of a remote-controlled keyboard) and notes, from the page's own clock,
// when that was, when the first result showed, and every long task.
function watchPage(query) {
  window.__bench = { typed: 0, firstResult: 0, longest: 0 };
  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) window.__bench.longest = Math.max(window.__bench.longest, e.duration);
  }).observe({ type: 'longtask', buffered: true });
  new MutationObserver(() => {
    const box = document.getElementById('zd-q');
    if (!window.__bench.typed && box) {
      window.__bench.typed = performance.now();
      box.value = query;
      box.dispatchEvent(new Event('input', { bubbles: true }));
    }
    if (!window.__bench.firstResult && document.querySelector('#zd-results .zd-hit')) {
      window.__bench.firstResult = performance.now();
      performance.mark('bench-first-result');
    }
  }).observe(document, { childList: true, subtree: true });
}

async function measure(browser, url, query, traced = false) {
  const context = await browser.newContext({ viewport: { width: 1200, height: 800 } });
  const page = await context.newPage();
  await page.addInitScript(watchPage, query);
  if (traced) {
    const categories = ['devtools.timeline', 'disabled-by-default-devtools.timeline', 'blink.user_timing'];
    await browser.startTracing(page, { categories });
  }
  await page.goto(url, { waitUntil: 'commit' });
  await page.waitForFunction(() => window.__bench.firstResult > 0, null, { timeout: 120000, polling: 20 });
  // The heap counts the contents too, which the viewer reads after the first answer.
  await page.waitForSelector('#zd-toc [role="treeitem"]', { state: 'attached', timeout: 120000 });
  await page.waitForTimeout(300); // tasks still running after the answer count too
  const cdp = await context.newCDPSession(page);
  await cdp.send('HeapProfiler.collectGarbage');
  await cdp.send('Performance.enable');
  const { metrics } = await cdp.send('Performance.getMetrics');
  const heap = metrics.find((m) => m.name === 'JSHeapUsedSize').value;
  const { typed, firstResult, longest } = await page.evaluate(() => window.__bench);
  const cpuUse = traced ? mainThreadCpu(await browser.stopTracing()) : {};
  await context.close();
  return { typed, firstResult, heap, longest, ...cpuUse };
}

// From a trace of the page's main thread (the one that parsed index.html): the CPU time of
// its longest task, and its CPU time from opening the page to the first result.
function mainThreadCpu(trace) {
  const events = JSON.parse(trace.toString('utf8')).traceEvents;
  const parse = events.find((e) => e.name === 'ParseHTML' && /index\.html/.test(e.args?.beginData?.url || ''));
  const result = events.find((e) => e.name === 'bench-first-result');
  if (!parse || !result) return { longestCpu: 0, cpuToResult: 0 };
  const main = events.filter((e) => e.pid === parse.pid && e.tid === parse.tid && e.name === 'RunTask' && e.ph === 'X');
  const opened = events.find((e) => e.name === 'navigationStart' && e.pid === parse.pid)?.ts ?? parse.ts;
  let longestCpu = 0;
  let cpuToResult = 0;
  for (const e of main) {
    longestCpu = Math.max(longestCpu, (e.tdur || 0) / 1000);
    if (e.ts >= opened && e.ts < result.ts) cpuToResult += (e.tdur || 0) / 1000;
  }
  return { longestCpu, cpuToResult };
}

const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const work = mkdtempSync(path.join(tmpdir(), 'folivane-bench-viewer-'));
const browser = await launchBrowser();
try {
  console.log('topics  from   query      typed at  first result (ms, median of ' + runs + ')  JS heap (MB)  longest task (ms)' +
    (cpu ? '  its CPU time (ms)  CPU to first result (ms)' : ''));
  for (const n of sizes) {
    const site = publish(work, n);
    const server = await serve(site);
    const bases = {
      file: pathToFileURL(path.join(site, 'index.html')).href,
      http: `http://127.0.0.1:${server.address().port}/index.html`,
    };
    for (const [from, url] of Object.entries(bases)) {
      for (const query of QUERIES) {
        const samples = [];
        for (let i = 0; i < runs; i++) samples.push(await measure(browser, url, query));
        const typed = median(samples.map((s) => s.typed));
        const first = median(samples.map((s) => s.firstResult));
        const heap = Math.max(...samples.map((s) => s.heap)) / (1024 * 1024);
        const longest = Math.max(...samples.map((s) => s.longest));
        const traced = cpu ? await measure(browser, url, query, true) : null;
        console.log(`${String(n).padEnd(7)} ${from.padEnd(6)} ${query.padEnd(10)} ${typed.toFixed(0).padStart(8)}` +
          `${first.toFixed(0).padStart(10)}` +
          `${heap.toFixed(1).padStart(36)}${longest.toFixed(0).padStart(19)}` +
          (traced ? traced.longestCpu.toFixed(0).padStart(19) + traced.cpuToResult.toFixed(0).padStart(26) : ''));
      }
    }
    server.close();
  }
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
