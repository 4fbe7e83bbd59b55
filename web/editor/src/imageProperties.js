// The selected picture's alternative text, size and caption: described for the host's
// Image Properties dialog, and changed as one undo step when the writer confirms it.
// A caption makes the picture a figure with a figcaption; an empty one undoes that.

export function selectedImage(editor) {
  const node = editor.selection.getNode();
  return node && node.nodeName === 'IMG' ? node : null;
}

function figureOf(img) {
  const parent = img.parentNode;
  return parent && parent.nodeName === 'FIGURE' ? parent : null;
}

function captionOf(figure) {
  return figure ? figure.querySelector(':scope > figcaption') : null;
}

function sizeAttr(img, name) {
  const value = parseInt(img.getAttribute(name) || '', 10);
  return value > 0 ? value : 0;
}

// What the dialog shows; null when no picture is selected.
export function describeSelectedImage(editor) {
  const img = selectedImage(editor);
  if (!img) return null;
  const caption = captionOf(figureOf(img));
  return {
    alt: img.getAttribute('alt') || '',
    width: sizeAttr(img, 'width'),
    height: sizeAttr(img, 'height'),
    naturalWidth: img.naturalWidth || 0,
    naturalHeight: img.naturalHeight || 0,
    caption: caption ? caption.textContent : '',
  };
}

function setSize(editor, img, width, height) {
  const dom = editor.dom;
  // A size dragged with the handles may sit in the style and would win over the attributes.
  dom.setStyles(img, { width: '', height: '' });
  dom.setAttrib(img, 'width', width > 0 ? String(width) : null);
  dom.setAttrib(img, 'height', height > 0 ? String(height) : null);
  // Style sheets give pictures height: auto so that they shrink with the page; a height
  // that the width does not already give is kept only in the picture's own style.
  const natW = img.naturalWidth;
  const natH = img.naturalHeight;
  const outOfProportion = natW > 0 && natH > 0 && Math.abs((width * natH) / natW - height) > 1;
  if (height > 0 && (width === 0 || outOfProportion)) dom.setStyle(img, 'height', height + 'px');
  if ((img.getAttribute('style') || '').trim() === '') {
    img.removeAttribute('style');
    img.removeAttribute('data-mce-style');
  }
}

// The block that holds only this picture (and perhaps line breaks), or null.
function soleBlockOf(editor, img) {
  const block = img.parentNode;
  if (!block || block.nodeName !== 'P' || block === editor.getBody()) return null;
  for (const child of block.childNodes) {
    if (child === img) continue;
    if (child.nodeType === 3 && child.data.trim() === '') continue;
    if (child.nodeName === 'BR') continue;
    return null;
  }
  return block;
}

function wrapInFigure(editor, img, text) {
  const dom = editor.dom;
  const figure = dom.create('figure');
  const caption = dom.create('figcaption');
  caption.textContent = text;
  const sole = soleBlockOf(editor, img);
  if (sole) {
    sole.parentNode.replaceChild(figure, sole);
  } else {
    const block = dom.getParent(img, dom.isBlock, editor.getBody());
    if (block && block !== editor.getBody()) dom.split(block, img, figure);
    else img.parentNode.replaceChild(figure, img);
  }
  figure.appendChild(img);
  figure.appendChild(caption);
}

function unwrapFigure(editor, figure, img) {
  const p = editor.dom.create('p');
  figure.parentNode.replaceChild(p, figure);
  p.appendChild(img);
}

function setCaption(editor, img, text) {
  const figure = figureOf(img);
  if (!figure) {
    if (text !== '') wrapInFigure(editor, img, text);
    return;
  }
  if (text === '') {
    unwrapFigure(editor, figure, img);
    return;
  }
  let caption = captionOf(figure);
  if (!caption) {
    caption = editor.dom.create('figcaption');
    figure.appendChild(caption);
  }
  // Unchanged text keeps whatever formatting the caption has.
  if (caption.textContent !== text) caption.textContent = text;
}

// props: { alt, width, height, caption } as the host sends them; nothing happens when
// no picture is selected any more.
export function applyImageProperties(editor, props) {
  const img = selectedImage(editor);
  if (!img || !props || typeof props !== 'object') return;
  const number = (v) => (Number.isInteger(v) && v > 0 ? v : 0);
  editor.undoManager.transact(() => {
    // Set directly: an empty alt marks a picture as decoration and must stay.
    img.setAttribute('alt', String(props.alt || ''));
    setSize(editor, img, number(props.width), number(props.height));
    setCaption(editor, img, String(props.caption || '').trim());
  });
  editor.selection.select(img);
  editor.nodeChanged();
}

// Removes the selected picture, and the figure it is the picture of.
export function removeSelectedImage(editor) {
  const img = selectedImage(editor);
  if (!img) return;
  const figure = figureOf(img);
  editor.undoManager.transact(() => editor.dom.remove(figure || img));
  editor.nodeChanged();
}

// Delete or Backspace on a captioned picture takes its caption with it; the browser
// would leave the caption behind in an empty figure.
export function deleteCaptionedPicture(editor, e) {
  if ((e.key !== 'Delete' && e.key !== 'Backspace') || e.ctrlKey || e.altKey || e.metaKey) return;
  const img = selectedImage(editor);
  if (!img || !figureOf(img)) return;
  e.preventDefault();
  removeSelectedImage(editor);
}
