// ESLint for the project's own JavaScript: the editor page, the WebHelp viewer, the
// bundling script, the browser tests and the page benchmark. Run by CTest (web.lint).
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    // Code that runs in the browser: bundled by esbuild as ES modules.
    files: ['web/editor/src/**/*.js', 'web/webhelp/**/*.js'],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: 'module',
      globals: { ...globals.browser },
    },
  },
  {
    // Node scripts. The tests and the benchmark also hand functions to the page
    // (page.evaluate), which run there and see the browser's globals.
    files: ['web/editor/build.mjs', 'tests/web/**/*.mjs', 'bench/**/*.mjs'],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: 'module',
      globals: { ...globals.node, ...globals.browser },
    },
  },
];
