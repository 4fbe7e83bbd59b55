// The page's side of the message protocol: everything goes to the host as an object.

// The number of the last command the page has taken. Every message carries it, so the
// host knows which topic a report describes even when it arrives after the next load.
let lastCommandSeq = 0;

export function noteCommandSeq(seq) {
  if (Number.isSafeInteger(seq) && seq > 0) lastCommandSeq = seq;
}

export function post(message) {
  const webview = window.chrome && window.chrome.webview;
  if (webview && typeof webview.postMessage === 'function') {
    webview.postMessage({ ...message, seq: lastCommandSeq });
  }
}

// Parses one command; anything that is not a JSON object is ignored.
export function parseCommand(text) {
  if (typeof text !== 'string') return null;
  try {
    const value = JSON.parse(text);
    return value && typeof value === 'object' && !Array.isArray(value) ? value : null;
  } catch {
    return null;
  }
}

// Turns an absolute file-system path into a file URL (spaces and "#" encoded).
export function filePathToUrl(path) {
  if (/^[a-z][a-z0-9+.-]*:/i.test(path) && !/^[a-z]:[\\/]/i.test(path)) return path;
  let p = String(path).replace(/\\/g, '/');
  if (!p.startsWith('/')) p = '/' + p;
  return 'file://' + encodeURI(p).replace(/#/g, '%23').replace(/\?/g, '%3F');
}
