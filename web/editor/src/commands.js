// The command vocabulary of the host, carried out on the selection or caret.
import { applyImageProperties, removeSelectedImage, selectedImage } from './imageProperties.js';
import { filePathToUrl } from './protocol.js';

const ENGINE_COMMANDS = {
  bold: 'Bold',
  italic: 'Italic',
  underline: 'Underline',
  ul: 'InsertUnorderedList',
  ol: 'InsertOrderedList',
  undo: 'Undo',
  redo: 'Redo',
  delete: 'Delete',
  selectAll: 'SelectAll',
  insertTableRowAfter: 'mceTableInsertRowAfter',
  removeTableRow: 'mceTableDeleteRow',
  insertTableColumnAfter: 'mceTableInsertColAfter',
  removeTableColumn: 'mceTableDeleteCol',
};

// The host refuses larger tables; a command beyond them is dropped rather than
// freezing the page while it builds every cell.
const MAX_TABLE_ROWS = 100;
const MAX_TABLE_COLUMNS = 30;

const ALIGN_COMMANDS = { left: 'JustifyLeft', center: 'JustifyCenter', right: 'JustifyRight', justify: 'JustifyFull' };

export function escapeHtml(text) {
  return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

function insertLink(editor, href, text) {
  const collapsed = editor.selection.isCollapsed();
  const inLink = editor.dom.getParent(editor.selection.getNode(), 'a[href]');
  if (collapsed && !inLink) {
    editor.insertContent('<a href="' + escapeHtml(href) + '">' + escapeHtml(text || href) + '</a>');
  } else {
    editor.execCommand('mceInsertLink', false, { href });
  }
}

// Removes the link at the caret (the whole link) or those in the selection.
function removeLink(editor) {
  const inLink = editor.dom.getParent(editor.selection.getNode(), 'a[href]');
  if (editor.selection.isCollapsed() && inLink) editor.selection.select(inLink);
  editor.execCommand('unlink');
}

function styleNewTable(editor, border) {
  const table = editor.dom.getParent(editor.selection.getNode(), 'table');
  if (!table) return;
  const line = 'border: ' + border.width + 'px ' + border.style + ' ' + border.color + '; padding: 4px;';
  editor.dom.setAttrib(table, 'style', 'border-collapse: collapse; width: 100%;');
  table.querySelectorAll('td, th').forEach((cell) => editor.dom.setAttrib(cell, 'style', line));
}

const BLOCK_STYLES = ['textAlign', 'lineHeight'];

// Taking paragraphs out of a list makes new blocks without the items' alignment and
// line spacing: they are carried over, block by block.
function toggleListKeepingBlockStyles(editor, command) {
  const before = editor.selection.getSelectedBlocks().map((b) => BLOCK_STYLES.map((name) => b.style[name]));
  editor.undoManager.transact(() => {
    editor.execCommand(command);
    const after = editor.selection.getSelectedBlocks();
    if (after.length !== before.length) return;
    after.forEach((block, i) => {
      BLOCK_STYLES.forEach((name, k) => {
        if (before[i][k] && !block.style[name]) editor.dom.setStyle(block, name, before[i][k]);
      });
    });
  });
}

// A block turned into a heading (or back into text) takes the size the project gives
// it: sizes and line spacing set on the block, or on spans inside it, would keep the
// old look, and a span left with no style at all is dropped.
function clearBlockSizes(editor) {
  const dom = editor.dom;
  // Through the editor's DOM, which keeps the copy of the style the page is saved from.
  const drop = (el, names) => {
    dom.setStyles(el, Object.fromEntries(names.map((name) => [name, ''])));
    if ((el.getAttribute('style') || '').trim() === '') {
      el.removeAttribute('style');
      el.removeAttribute('data-mce-style');
    }
  };
  editor.selection.getSelectedBlocks().forEach((block) => {
    if (!/^(P|H[1-6])$/.test(block.nodeName)) return;
    drop(block, ['font-size', 'line-height']);
    block.querySelectorAll('[style]').forEach((el) => {
      drop(el, ['font-size']);
      if (el.nodeName === 'SPAN' && el.attributes.length === 0) dom.remove(el, true);
    });
  });
}

function sizeAtCaret(editor) {
  let node = editor.selection.isCollapsed() ? editor.selection.getNode() : editor.selection.getStart();
  if (node && node.nodeType !== 1) node = node.parentNode;
  if (!node) return 0;
  return Math.round(parseFloat(editor.getWin().getComputedStyle(node).fontSize) || 0);
}

function clipboard(editor, name) {
  editor.focus();
  try {
    editor.getDoc().execCommand(name);
  } catch {
    // The browser refused access to the clipboard; nothing to do.
  }
}

// Runs one exec command. ctx gives the editors, the defaults and the page state.
export function runExec(ctx, editor, cmd, arg, origin) {
  const hasArg = typeof arg === 'string' && arg !== '';
  // The heading box sends a block command and then that block's size.
  const afterBlockFormat = ctx.afterBlockFormat;
  ctx.afterBlockFormat = false;
  // The project defaults the host sends after loading a topic must not reformat the
  // topic: program-origin character formatting sets the typing defaults instead.
  if (origin === 'program' && ctx.setDefaultFor(cmd, arg)) return;
  if (cmd === 'ul' || cmd === 'ol') {
    toggleListKeepingBlockStyles(editor, ENGINE_COMMANDS[cmd]);
    return;
  }
  if (ENGINE_COMMANDS[cmd]) {
    editor.execCommand(ENGINE_COMMANDS[cmd]);
    return;
  }
  switch (cmd) {
    case 'p': case 'h1': case 'h2': case 'h3':
      editor.undoManager.transact(() => {
        editor.execCommand('FormatBlock', false, cmd);
        clearBlockSizes(editor);
      });
      editor.nodeChanged();
      ctx.afterBlockFormat = true;
      return;
    case 'align':
      if (ALIGN_COMMANDS[arg]) editor.execCommand(ALIGN_COMMANDS[arg]);
      return;
    case 'lineHeight':
      if (hasArg) editor.execCommand('LineHeight', false, arg);
      return;
    case 'fontName':
      if (hasArg) editor.execCommand('FontName', false, arg);
      return;
    case 'fontSizePx': {
      const px = parseInt(arg, 10);
      if (!hasArg || !(px > 0)) return;
      // The size the heading box sends after a block command is the one the project's
      // style sheet gives that block: a span would only pin it to a word, or to the caret
      // (and leak into the paragraph typed after Enter).
      if (afterBlockFormat) return;
      if (editor.selection.isCollapsed() && sizeAtCaret(editor) === px) return;
      editor.execCommand('FontSize', false, px + 'px');
      return;
    }
    case 'foreColor':
      if (hasArg) editor.execCommand('ForeColor', false, arg);
      return;
    case 'backColor':
      if (hasArg) editor.execCommand('HiliteColor', false, arg);
      else editor.formatter.remove('hilitecolor', { value: null }, undefined, true);
      editor.nodeChanged();
      return;
    case 'cut': case 'copy': case 'paste':
      clipboard(editor, cmd);
      return;
    case 'link':
      if (hasArg) insertLink(editor, arg, arg);
      else removeLink(editor);
      return;
    case 'topicLink': {
      let link = null;
      try { link = JSON.parse(arg); } catch { return; }
      if (link && typeof link.href === 'string' && link.href) insertLink(editor, link.href, String(link.text || link.href));
      return;
    }
    case 'image':
      if (hasArg) editor.insertContent('<img src="' + escapeHtml(arg) + '" alt="">');
      return;
    case 'replaceSelectedImage': {
      const img = selectedImage(editor);
      // With no picture selected the picture the writer chose goes in at the caret,
      // rather than being copied into the project and shown nowhere.
      if (!img && hasArg) {
        editor.insertContent('<img src="' + escapeHtml(arg) + '" alt="">');
        return;
      }
      if (img && hasArg) {
        editor.undoManager.transact(() => {
          editor.dom.setAttrib(img, 'src', arg);
          editor.dom.setAttrib(img, 'data-mce-src', arg);
          img.removeAttribute('srcset');
        });
        editor.nodeChanged();
      }
      return;
    }
    case 'removeSelectedImage':
      removeSelectedImage(editor);
      return;
    case 'imageProperties': {
      let props = null;
      try { props = JSON.parse(arg); } catch { return; }
      applyImageProperties(editor, props);
      return;
    }
    case 'table': {
      const parts = String(arg || '').split(',');
      const [rows, cols] = parts.map((v) => parseInt(v, 10));
      const headerRows = parts[2] === 'header' ? 1 : 0;
      if (rows > 0 && cols > 0 && rows <= MAX_TABLE_ROWS && cols <= MAX_TABLE_COLUMNS) {
        editor.undoManager.transact(() => {
          editor.execCommand('mceInsertTable', false, { rows, columns: cols, options: { headerRows } });
          styleNewTable(editor, ctx.tableBorder);
        });
      }
      return;
    }
    case 'insertHTML':
      if (hasArg) editor.insertContent(arg);
      return;
    case 'setCssFile':
      ctx.setProjectCss(hasArg ? filePathToUrl(arg) + '?t=' + Date.now() : 'data:text/css,');
      return;
    case 'setHeaderHtml':
      ctx.setHeaderHtml(arg || '');
      return;
    case 'setHeaderBg':
      ctx.setHeaderBg(arg || '');
      return;
    case 'setPageBg':
      document.body.style.backgroundColor = arg || '';
      return;
    case 'setTableBorderStyle':
      if (hasArg) ctx.tableBorder.style = arg;
      return;
    case 'setTableBorderWidth':
      if (parseInt(arg, 10) >= 0) ctx.tableBorder.width = parseInt(arg, 10);
      return;
    case 'setTableBorderColor':
      if (hasArg) ctx.tableBorder.color = arg;
      return;
    default:
      ctx.setDefaultFor(cmd, arg);
  }
}
