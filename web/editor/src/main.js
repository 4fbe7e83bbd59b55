// The editor page: two inline editing areas (header and body) driven by the host.
import tinymce from 'tinymce/tinymce';
import 'tinymce/models/dom';
import 'tinymce/plugins/lists';
import 'tinymce/plugins/table';
import { post, parseCommand, noteCommandSeq } from './protocol.js';
import { runExec } from './commands.js';
import { computeCursorStyle } from './cursorStyle.js';
import { cleanPastedHtml } from './wordPaste.js';
import { deleteCaptionedPicture } from './imageProperties.js';
import { padEmptyBlocks, parkHandlersInHtml, serializeEditable } from './fastHtml.js';
import { markProjectWords, setWordList } from './projectWords.js';
import { setLeftOutConditions, shadeLeftOut } from './leftOutShade.js';

const REPORT_DELAY_MS = 150;

// The window draws every control, so the page needs no icons; an empty pack stops
// TinyMCE from fetching its default one from beside the page, where none is copied.
tinymce.IconManager.add('default', { icons: {} });

const ctx = {
  body: null,
  header: null,
  active: null,
  programmatic: 0,
  tableBorder: { style: 'solid', width: 1, color: '#c0c0c0' },
  defaults: {},
  headerBg: '#fafafa',
  lastBodyHtml: null,
  lastHeaderHtml: null,
  lastCursor: '',
  area: 'body',
  bodyTimer: 0,
  bodyBurst: false,
  headerTimer: 0,
  setHtmlGeneration: 0,
};

function areaOf(editor) {
  return editor === ctx.header ? 'header' : 'body';
}

// --- Reports ------------------------------------------------------------------

function bodyHtml() {
  return serializeEditable(ctx.body.getBody());
}

function headerHtml() {
  return serializeEditable(ctx.header.getBody());
}

function reportBody(user) {
  clearTimeout(ctx.bodyTimer);
  ctx.bodyTimer = 0;
  ctx.bodyBurst = false;
  const html = bodyHtml();
  if (html === ctx.lastBodyHtml) return;
  ctx.lastBodyHtml = html;
  post({ type: 'htmlChanged', html, user });
}

function reportHeader() {
  clearTimeout(ctx.headerTimer);
  ctx.headerTimer = 0;
  const html = headerHtml();
  ctx.lastHeaderHtml = html;
  post({ type: 'headerChanged', headerHtml: html, headerBg: ctx.headerBg });
}

function reportHeaderIfChanged() {
  if (headerHtml() !== ctx.lastHeaderHtml) reportHeader();
  else clearTimeout(ctx.headerTimer);
}

// User edits are reported a moment later, so typing does not serialise the page on every key.
// The first keystroke of a burst goes out at once: the host enables Save only once it
// knows of an edit, and a Ctrl+S right after typing must not find Save still disabled.
function scheduleUserReport(editor, typed) {
  if (ctx.programmatic) return;
  if (editor === ctx.body) {
    clearTimeout(ctx.bodyTimer);
    ctx.bodyTimer = 0;
    if (typed && !ctx.bodyBurst) {
      reportBody(true);
      ctx.bodyBurst = true;
    }
    ctx.bodyTimer = setTimeout(() => reportBody(true), REPORT_DELAY_MS);
  } else {
    clearTimeout(ctx.headerTimer);
    ctx.headerTimer = setTimeout(reportHeaderIfChanged, REPORT_DELAY_MS);
  }
}

// Pending user edits go out before anything the host asks, so they keep their order.
function flushUserReports() {
  if (ctx.bodyTimer) reportBody(true);
  if (ctx.headerTimer) reportHeaderIfChanged();
}

// Sent when the style differs from the last one sent, or always (force) after a user
// command: the host's toolbar has already flipped the button it drew, and only a report
// puts it right when the command changed nothing.
function reportCursor(editor, force = false) {
  if (!editor || !editor.initialized) return;
  const style = computeCursorStyle(editor, areaOf(editor));
  const key = JSON.stringify(style);
  if (key === ctx.lastCursor && !force) return;
  ctx.lastCursor = key;
  post(style);
}

function setActive(editor) {
  ctx.active = editor;
  const area = areaOf(editor);
  if (area !== ctx.area) {
    ctx.area = area;
    post({ type: 'areaChanged', area });
  }
}

// --- Defaults -----------------------------------------------------------------

// The fallbacks the project's style sheet puts after its font, ending in a generic family.
const FALLBACK_FONTS = ', Arial, "Liberation Sans", "Nimbus Sans", Helvetica, sans-serif';

function applyDefaults() {
  const d = ctx.defaults;
  const rules = [];
  if (d.fontName) rules.push('font-family:' + JSON.stringify(d.fontName) + FALLBACK_FONTS);
  if (d.fontSizePx) rules.push('font-size:' + d.fontSizePx + 'px');
  if (d.textColor) rules.push('color:' + d.textColor);
  if (d.lineHeight) rules.push('line-height:' + d.lineHeight);
  document.getElementById('zd-defaults').textContent = rules.length ? '.zd-body{' + rules.join(';') + '}' : '';
}

const DEFAULT_SETTERS = {
  setDefaultFontName: (v) => { ctx.defaults.fontName = v; },
  fontName: (v) => { ctx.defaults.fontName = v; },
  setDefaultFontSizePx: (v) => { ctx.defaults.fontSizePx = parseInt(v, 10) > 0 ? parseInt(v, 10) : 0; },
  fontSizePx: (v) => { ctx.defaults.fontSizePx = parseInt(v, 10) > 0 ? parseInt(v, 10) : 0; },
  setDefaultTextColor: (v) => { ctx.defaults.textColor = v; },
  foreColor: (v) => { ctx.defaults.textColor = v; },
  setDefaultLineHeight: (v) => { ctx.defaults.lineHeight = /^[\d.]+(px)?$/.test(v || '') ? v : ''; },
  lineHeight: (v) => { ctx.defaults.lineHeight = /^[\d.]+(px)?$/.test(v || '') ? v : ''; },
  backColor: () => {},
};

ctx.setDefaultFor = (cmd, arg) => {
  const setter = DEFAULT_SETTERS[cmd];
  if (!setter) return false;
  setter(typeof arg === 'string' ? arg : '');
  applyDefaults();
  return true;
};

ctx.setHeaderHtml = (html) => {
  ctx.header.setContent(parkHandlersInHtml(html), { format: 'raw' });
  padEmptyBlocks(ctx.header.getBody());
  ctx.header.undoManager.clear();
  ctx.header.undoManager.add();
  ctx.lastHeaderHtml = headerHtml();
};

// The project's style sheet arrives after the topic it styles, so the caret is reported
// again once it has loaded. Each sheet gets a link of its own: Qt WebEngine fires no load
// event when a link's address changes. The previous sheet stays until the newest one has
// loaded (or failed), so the page never shows unstyled in between.
ctx.setProjectCss = (href) => {
  const link = document.createElement('link');
  link.rel = 'stylesheet';
  link.className = 'zd-project-css';
  const settle = () => {
    if (link.id !== 'zd-project-css') return;  // a newer sheet is on its way
    document.querySelectorAll('link.zd-project-css').forEach((l) => { if (l !== link) l.remove(); });
    reportCursor(ctx.active);
  };
  link.addEventListener('load', settle);
  link.addEventListener('error', settle);
  const current = document.getElementById('zd-project-css');
  current.removeAttribute('id');
  link.id = 'zd-project-css';
  link.href = href;
  current.after(link);
};

// The host sends the header's content and then its background: one report follows the pair.
ctx.setHeaderBg = (color) => {
  ctx.headerBg = color;
  ctx.header.getBody().style.backgroundColor = color;
  reportHeader();
};

// --- Commands -----------------------------------------------------------------

// The caret goes into the first text, where typing lands: the toolbar then shows that
// text's colour and font, not those of the block around it.
function firstCaretNode(root) {
  const walker = root.ownerDocument.createTreeWalker(root, NodeFilter.SHOW_TEXT);
  for (let t = walker.nextNode(); t; t = walker.nextNode()) {
    if (t.data.trim() !== '' && !/^(STYLE|SCRIPT)$/.test(t.parentNode.nodeName)) return t;
  }
  return root.firstChild || root;
}

// Puts a topic into the body. Only what the page needs to show it happens at once; the
// undo baseline, the caret and the change-detection baseline follow right after.
function setHtml(html) {
  const text = typeof html === 'string' ? html : '';
  clearTimeout(ctx.bodyTimer);
  ctx.bodyTimer = 0;
  ctx.bodyBurst = false;
  const generation = ++ctx.setHtmlGeneration;
  ctx.programmatic++;
  try {
    ctx.body.setContent(parkHandlersInHtml(text), { format: 'raw', no_events: true });
    // Emptied at once (cheap); only the new baseline waits. An Undo in between would
    // otherwise restore the previous topic into this one.
    ctx.body.undoManager.clear();
    padEmptyBlocks(ctx.body.getBody());
    ctx.body.setDirty(false);
    ctx.body.selection.setCursorLocation(firstCaretNode(ctx.body.getBody()), 0);
  } finally {
    ctx.programmatic--;
  }
  ctx.lastBodyHtml = null;
  post({ type: 'htmlChanged', html: text, user: false });
  requestAnimationFrame(() => setTimeout(() => finishSetHtml(generation), 0));
}

function finishSetHtml(generation) {
  if (generation !== ctx.setHtmlGeneration) return;
  ctx.programmatic++;
  try {
    ctx.body.undoManager.clear();
    ctx.body.undoManager.add();
  } finally {
    ctx.programmatic--;
  }
  if (!ctx.bodyTimer && ctx.lastBodyHtml === null) ctx.lastBodyHtml = bodyHtml();
  markProjectWords(ctx.body);
  shadeLeftOut(ctx.body);
  reportCursor(ctx.active);
}

function exec(command) {
  const editor = ctx.active || ctx.body;
  const origin = command.origin === 'program' ? 'program' : 'user';
  if (origin === 'program') ctx.programmatic++;
  try {
    runExec(ctx, editor, String(command.cmd || ''), command.arg, origin);
  } finally {
    if (origin === 'program') ctx.programmatic--;
  }
  if (editor === ctx.body) reportBody(origin === 'user');
  else if (headerHtml() !== ctx.lastHeaderHtml) reportHeader();
  reportCursor(editor, origin === 'user');
}

function receive(text) {
  const command = parseCommand(text);
  if (!command) return;
  // Edits typed before this command are reported as what they were: before it.
  flushUserReports();
  noteCommandSeq(command.seq);
  try {
    switch (command.type) {
      case 'setHtml': setHtml(command.html); break;
      case 'getHtml': post({ type: 'htmlResponse', html: bodyHtml() }); break;
      case 'getHeader': post({ type: 'headerChanged', headerHtml: headerHtml(), headerBg: ctx.headerBg }); break;
      case 'exec': exec(command); break;
      case 'setWords': setProjectWords(command.words); break;
      case 'setLeftOut': setLeftOut(command); break;
      default: break;
    }
  } catch (e) {
    console.error('editor command failed', command.type, command.cmd, e);
  }
}

// --- The project's word list -------------------------------------------------

const WORDS_DELAY_MS = 300;

function setProjectWords(list) {
  setWordList(list);
  markProjectWords(ctx.body);
  markProjectWords(ctx.header);
  shadeLeftOut(ctx.body);
}

// The build profile the window shows the page for: text under a condition it turns off is
// greyed. active false shows the page plain.
function setLeftOut(command) {
  setLeftOutConditions(command.active === true, command.on);
  shadeLeftOut(ctx.body);
}

// Typed, pasted or restored text is looked at once the writer pauses.
function scheduleWordMarking(editor) {
  clearTimeout(editor.zdWordTimer);
  editor.zdWordTimer = setTimeout(() => {
    markProjectWords(editor);
    if (editor === ctx.body) shadeLeftOut(editor);
  }, WORDS_DELAY_MS);
}

function setBaseHref(url) {
  document.getElementById('zd-base').href = String(url);
}

// --- Start --------------------------------------------------------------------

// Tab indents and Shift+Tab outdents; the browser would move the focus out of the page,
// and what the writer typed next would go nowhere. Lists and tables handle the key
// first (nesting items, moving between cells) and mark it handled.
function keepTabInPage(editor, e) {
  if (e.key !== 'Tab' || e.ctrlKey || e.altKey || e.metaKey) return;
  if (e.isDefaultPrevented()) return;
  e.preventDefault();
  editor.execCommand(e.shiftKey ? 'Outdent' : 'Indent');
}

function wire(editor) {
  editor.on('keydown', (e) => keepTabInPage(editor, e));
  // Before the editor's own deleting, which would leave the caption behind.
  editor.on('keydown', (e) => deleteCaptionedPicture(editor, e), true);
  editor.on('focus', () => setActive(editor));
  editor.on('input change keyup Undo Redo ExecCommand drop cut paste', (e) => scheduleUserReport(editor, e.type === 'input'));
  editor.on('NodeChange', () => reportCursor(editor));
  editor.on('input SetContent Undo Redo paste', () => scheduleWordMarking(editor));
}

const common = {
  inline: true,
  theme: false,
  skin: false,
  content_css: false,
  menubar: false,
  toolbar: false,
  plugins: 'lists table',
  browser_spellcheck: true,
  convert_urls: false,
  entity_encoding: 'raw',
  verify_html: false,
  extended_valid_elements: '*[*]',
  valid_children: '+body[style|link],+div[style|link],+p[style|link]',
  forced_root_block: 'p',
  object_resizing: 'img',
  table_resize_bars: true,
  table_default_attributes: {},
  table_default_styles: {},
  table_use_colgroups: false,
  // A header row is a row of header cells, as the published pages style them.
  table_header_type: 'cells',
  paste_data_images: true,
  paste_webkit_styles: 'font-weight font-style text-decoration color',
  paste_preprocess: (_editor, args) => { args.content = cleanPastedHtml(args.content); },
  highlight_on_focus: false,
  custom_undo_redo_levels: 200,
};

async function start() {
  const [header] = await tinymce.init({ ...common, target: document.getElementById('zd-header') });
  const [body] = await tinymce.init({ ...common, target: document.getElementById('zd-body') });
  ctx.header = header;
  ctx.body = body;
  ctx.active = body;
  wire(header);
  wire(body);
  ctx.lastBodyHtml = bodyHtml();
  ctx.lastHeaderHtml = headerHtml();
  window.__zd_recv = receive;
  window.zdSetBaseHref = setBaseHref;
  post({ type: 'ready' });
}

window.zdSetBaseHref = setBaseHref;
start();
