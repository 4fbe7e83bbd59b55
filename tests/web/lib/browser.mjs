// Launches Debian's chromium through playwright-core for the browser tests: headless,
// without the browser's own network services. playwright gives every launch a fresh
// temporary profile (--user-data-dir) and removes it on close.
import { chromium } from 'playwright-core';

export const CHROMIUM_PATH = process.env.FOLIVANE_CHROMIUM || '/usr/bin/chromium';

export async function launchBrowser() {
  return chromium.launch({
    executablePath: CHROMIUM_PATH,
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
}
