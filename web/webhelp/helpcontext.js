// Context-sensitive help: a program opens index.html?context=1001 or ?alias=IDH_PRINT and
// the viewer shows that topic. The map is window.__ZD_CONTEXT, written by the export.

function mapEntries(map) {
  return map && Array.isArray(map.topics) ? map.topics.filter((e) => e && typeof e.topicId === 'string') : [];
}

// What the query asks for: { kind: 'context' | 'alias', value } or null when it asks nothing.
function askedFor(search) {
  const params = new URLSearchParams(search);
  if (params.has('context')) return { kind: 'context', value: params.get('context').trim() };
  if (params.has('alias')) return { kind: 'alias', value: params.get('alias').trim() };
  return null;
}

function findEntry(entries, asked) {
  if (asked.kind === 'context') {
    if (!/^\d{1,10}$/.test(asked.value)) return null;
    const id = Number(asked.value);
    return entries.find((e) => e.helpId === id) || null;
  }
  // Aliases are matched without regard to case, as the HTML Help compiler does.
  const wanted = asked.value.toUpperCase();
  return entries.find((e) => typeof e.alias === 'string' && e.alias.toUpperCase() === wanted) || null;
}

// The topic the query opens: { topicId } when found, { missing: text } when the query names
// no topic of this help, null when it asks for none.
export function resolveHelpContext(search, map) {
  const asked = askedFor(search);
  if (!asked) return null;
  const entry = findEntry(mapEntries(map), asked);
  if (entry) return { topicId: entry.topicId };
  const what = asked.kind === 'context' ? 'the context ID' : 'the alias';
  return { missing: `No topic of this help has ${what} \u201c${asked.value}\u201d; showing the first topic.` };
}
