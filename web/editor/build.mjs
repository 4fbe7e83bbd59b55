// Bundles the editor page into one self-contained HTML file: TinyMCE, its content CSS
// and the page's own code and styles are inlined.
import { build } from 'esbuild';
import { mkdirSync, readFileSync, writeFileSync, renameSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const out = process.argv[2];
if (!out) {
  console.error('usage: node build.mjs <output editor.html>');
  process.exit(2);
}
const root = join(here, '..', '..');
const tinymceDir = join(root, 'node_modules', 'tinymce');

const result = await build({
  entryPoints: [join(here, 'src', 'main.js')],
  bundle: true,
  format: 'iife',
  minify: true,
  write: false,
  target: ['chrome100'],
  legalComments: 'none',
  nodePaths: [join(root, 'node_modules')],
});
const js = result.outputFiles[0].text.replace(/<\/(script)/gi, '<\\/$1');
// TinyMCE's look for figures (centred, grey caption) is not what publishing gives them:
// those rules go, and the project's style sheet alone decides, as in the outputs.
const withoutFigureRules = (css) => css.replace(/[^{}]*\bfig(?:ure|caption)\b[^{}]*\{[^{}]*\}/g, '');
const tinymceCss = [
  withoutFigureRules(readFileSync(join(tinymceDir, 'skins', 'content', 'default', 'content.min.css'), 'utf8'))
    .replace(/\bbody\b/g, '.zd-body'),
  readFileSync(join(tinymceDir, 'skins', 'ui', 'oxide', 'content.inline.min.css'), 'utf8'),
].join('\n');
const pageCss = readFileSync(join(here, 'src', 'page.css'), 'utf8');
const html = readFileSync(join(here, 'editor.html'), 'utf8')
  .replace('/*@TINYMCE_CSS@*/', () => tinymceCss.replace(/<\/style/gi, '<\\/style'))
  .replace('/*@PAGE_CSS@*/', () => pageCss)
  .replace('/*@EDITOR_JS@*/', () => js);
mkdirSync(dirname(out), { recursive: true });
writeFileSync(out + '.tmp', html);
renameSync(out + '.tmp', out);
