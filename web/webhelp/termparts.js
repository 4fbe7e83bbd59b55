// Which term parts of the prebuilt index a query needs. The export's term list (every
// term, grouped by the part that holds its postings) stays a flat list, and a query's
// terms are matched against it as MiniSearch matches them: exact, prefix and within the
// same edit distance. One pass over the list costs far less than building a tree or an
// index of it while the page loads, which is what a reader who types at once waits for.

// termLists[k] holds the terms of part k, separated by spaces.
export function buildTermList(termLists) {
  const terms = [];
  const parts = [];
  for (let k = 0; k < termLists.length; k++) {
    for (const term of String(termLists[k]).split(' ')) {
      if (!term) continue;
      terms.push(term);
      parts.push(k);
    }
  }
  return { terms, parts };
}

// The Levenshtein distance of a and b when it is at most max, otherwise max + 1.
export function boundedDistance(a, b, max) {
  if (Math.abs(a.length - b.length) > max) return max + 1;
  let previous = Array.from({ length: b.length + 1 }, (_, j) => j);
  for (let i = 1; i <= a.length; i++) {
    const row = [i];
    let best = i;
    for (let j = 1; j <= b.length; j++) {
      const cost = a.charCodeAt(i - 1) === b.charCodeAt(j - 1) ? 0 : 1;
      const d = Math.min(previous[j] + 1, row[j - 1] + 1, previous[j - 1] + cost);
      row.push(d);
      if (d < best) best = d;
    }
    if (best > max) return max + 1;
    previous = row;
  }
  return previous[b.length];
}

// The edit distance MiniSearch allows for a fuzzy option: a fraction of the term's length
// or a number of edits.
function maxDistance(term, fuzzy, maxFuzzy) {
  if (!fuzzy) return 0;
  const f = fuzzy === true ? 0.2 : fuzzy;
  return f < 1 ? Math.min(maxFuzzy, Math.round(term.length * f)) : f;
}

// The index terms text can match and the parts that hold them. options are MiniSearch's
// search options (tokenize, processTerm, prefix, fuzzy, maxFuzzy).
export function matchTerms(list, text, options) {
  const queryTerms = options
    .tokenize(text)
    .flatMap((t) => options.processTerm(t))
    .filter((t) => !!t);
  const terms = new Set();
  const parts = new Set();
  queryTerms.forEach((query, i) => {
    const prefix = options.prefix(query, i, queryTerms);
    const distance = maxDistance(query, options.fuzzy(query, i, queryTerms), options.maxFuzzy ?? 6);
    list.terms.forEach((term, n) => {
      const matches = prefix ? term.startsWith(query) : term === query;
      if (matches || (distance && boundedDistance(query, term, distance) <= distance)) {
        terms.add(term);
        parts.add(list.parts[n]);
      }
    });
  });
  return { terms, parts: Array.from(parts).sort((a, b) => a - b) };
}
