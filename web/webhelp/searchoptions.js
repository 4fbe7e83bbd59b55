// How the viewer's MiniSearch indexes and matches: the fields and their weights, the
// tokenizer and folding of text.js, prefix matching and the typos a term may carry.
import { tokenizeForIndex, tokenizeQuery, processTerm, isCjkTerm } from './text.js';

export const FIELDS = ['title', 'keywords', 'text'];

function fuzzyFor(term) {
  if (isCjkTerm(term) || term.length < 4) return false;
  return term.length < 7 ? 1 : 0.2;
}

export const OPTIONS = {
  idField: 'id',
  fields: FIELDS,
  storeFields: [],
  tokenize: (text) => tokenizeForIndex(text),
  processTerm,
  searchOptions: {
    boost: { title: 4, keywords: 3, text: 1 },
    prefix: (term) => term.length > 1 || isCjkTerm(term),
    fuzzy: fuzzyFor,
    tokenize: (text) => tokenizeQuery(text),
    processTerm,
  },
};

// The search options with the defaults MiniSearch fills in.
export const QUERY_OPTIONS = { tokenize: OPTIONS.tokenize, processTerm, maxFuzzy: 6, ...OPTIONS.searchOptions };
