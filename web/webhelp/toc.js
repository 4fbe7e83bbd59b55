// The table of contents as an accessible tree. Children are rendered when a branch is
// first opened, so a site of tens of thousands of topics shows its tree at once. The tree
// is empty until load() gives it its topics: the page can answer a search before then.

export function createToc(list, { onOpen }) {
  const nodes = new Map(); // id -> { id, title, file, children, parent, depth }
  let order = []; // ids in reading order, for previous and next
  const items = new Map(); // id -> rendered <li>
  let position = new Map();
  let rootNodes = [];
  let selectedId = '';

  function index(children, parent, depth) {
    // An explicit stack: a very deep tree must not overflow the call stack.
    const stack = [{ children, parent, depth, i: 0 }];
    while (stack.length) {
      const top = stack[stack.length - 1];
      if (top.i >= top.children.length) {
        stack.pop();
        continue;
      }
      const raw = top.children[top.i++];
      if (!raw || typeof raw.id !== 'string' || nodes.has(raw.id)) continue;
      const node = {
        id: raw.id,
        title: String(raw.title ?? ''),
        file: String(raw.file ?? 'topics/' + raw.id + '.html'),
        children: [],
        parent: top.parent,
        depth: top.depth,
      };
      nodes.set(node.id, node);
      order.push(node.id);
      if (top.parent) top.parent.children.push(node);
      const kids = Array.isArray(raw.children) ? raw.children : [];
      if (kids.length) stack.push({ children: kids, parent: node, depth: top.depth + 1, i: 0 });
    }
  }

  // Takes the tree of window.__ZD_TOC (its roots), replacing any before it.
  function load(roots) {
    nodes.clear();
    items.clear();
    order = [];
    selectedId = '';
    list.textContent = '';
    index(Array.isArray(roots) ? roots : [], null, 1);
    position = new Map(order.map((id, i) => [id, i]));
    rootNodes = order.map((id) => nodes.get(id)).filter((n) => !n.parent);
    renderChildren(list, rootNodes);
    setTabStop(list.querySelector('[role="treeitem"]'));
  }

  function renderItem(node) {
    const li = document.createElement('li');
    li.setAttribute('role', 'treeitem');
    li.setAttribute('aria-level', String(node.depth));
    li.setAttribute('aria-selected', 'false');
    li.dataset.id = node.id;
    li.tabIndex = -1;
    const row = document.createElement('div');
    row.className = 'zd-row';
    row.style.setProperty('--zd-depth', String(node.depth - 1));
    const twisty = document.createElement('span');
    twisty.className = 'zd-twisty';
    twisty.setAttribute('aria-hidden', 'true');
    const link = document.createElement('a');
    link.href = '#' + encodeURIComponent(node.id);
    link.textContent = node.title;
    link.tabIndex = -1;
    row.append(twisty, link);
    li.appendChild(row);
    if (node.children.length) li.setAttribute('aria-expanded', 'false');
    items.set(node.id, li);
    return li;
  }

  function renderChildren(parentEl, children) {
    const frag = document.createDocumentFragment();
    for (const child of children) frag.appendChild(renderItem(child));
    parentEl.appendChild(frag);
  }

  function setExpanded(node, open) {
    if (!node.children.length) return;
    const li = items.get(node.id) || reveal(node.id);
    if (!li) return;
    let group = li.querySelector(':scope > ul');
    if (open && !group) {
      group = document.createElement('ul');
      group.setAttribute('role', 'group');
      renderChildren(group, node.children);
      li.appendChild(group);
    }
    if (group) group.hidden = !open;
    li.setAttribute('aria-expanded', String(open));
  }

  function isExpanded(node) {
    const li = items.get(node.id);
    return !!li && li.getAttribute('aria-expanded') === 'true';
  }

  // Renders and opens the ancestors of id; returns its <li>.
  function reveal(id) {
    const node = nodes.get(id);
    if (!node) return null;
    const chain = [];
    for (let p = node.parent; p; p = p.parent) chain.unshift(p);
    for (const a of chain) {
      if (!isExpanded(a)) setExpanded(a, true);
    }
    return items.get(id) || null;
  }

  function setTabStop(li) {
    for (const el of list.querySelectorAll('[role="treeitem"][tabindex="0"]')) el.tabIndex = -1;
    if (li) li.tabIndex = 0;
  }

  function select(id) {
    if (selectedId) {
      const old = items.get(selectedId);
      if (old) {
        old.setAttribute('aria-selected', 'false');
        old.classList.remove('zd-current');
      }
    }
    selectedId = nodes.has(id) ? id : '';
    if (!selectedId) {
      setTabStop(list.querySelector('[role="treeitem"]'));
      return;
    }
    const li = reveal(selectedId);
    if (!li) return;
    li.setAttribute('aria-selected', 'true');
    li.classList.add('zd-current');
    setTabStop(li);
    const row = li.firstElementChild;
    const box = list.closest('.zd-panel') || list;
    const r = row.getBoundingClientRect();
    const b = box.getBoundingClientRect();
    if (r.top < b.top || r.bottom > b.bottom) row.scrollIntoView({ block: 'nearest' });
  }

  // The rows a reader sees, walked through the model rather than the page, so that a key
  // press costs the same in a tree of ten thousand topics as in one of ten.
  function siblingsOf(node) {
    return node.parent ? node.parent.children : rootNodes;
  }

  function nextVisible(node) {
    if (node.children.length && isExpanded(node)) return node.children[0];
    for (let n = node; n; n = n.parent) {
      const siblings = siblingsOf(n);
      const at = siblings.indexOf(n);
      if (at + 1 < siblings.length) return siblings[at + 1];
    }
    return null;
  }

  function lastVisibleIn(node) {
    let n = node;
    while (n.children.length && isExpanded(n)) n = n.children[n.children.length - 1];
    return n;
  }

  function previousVisible(node) {
    const siblings = siblingsOf(node);
    const at = siblings.indexOf(node);
    return at > 0 ? lastVisibleIn(siblings[at - 1]) : node.parent;
  }

  const itemOf = (node) => (node ? items.get(node.id) : null);

  function focusItem(li) {
    if (!li) return;
    setTabStop(li);
    li.focus();
  }

  list.addEventListener('click', (e) => {
    const li = e.target.closest('[role="treeitem"]');
    if (!li) return;
    const node = nodes.get(li.dataset.id);
    if (e.target.closest('.zd-twisty')) {
      e.preventDefault();
      setExpanded(node, !isExpanded(node));
      return;
    }
    if (e.target.closest('a')) {
      e.preventDefault();
      if (node.children.length && !isExpanded(node)) setExpanded(node, true);
      onOpen(node.id);
    }
  });

  list.addEventListener('keydown', (e) => {
    const li = e.target.closest('[role="treeitem"]');
    if (!li || e.altKey || e.ctrlKey || e.metaKey) return;
    const node = nodes.get(li.dataset.id);
    let handled = true;
    switch (e.key) {
      case 'ArrowDown':
        focusItem(itemOf(nextVisible(node)));
        break;
      case 'ArrowUp':
        focusItem(itemOf(previousVisible(node)));
        break;
      case 'ArrowRight':
        if (node.children.length && !isExpanded(node)) setExpanded(node, true);
        else if (node.children.length) focusItem(items.get(node.children[0].id));
        break;
      case 'ArrowLeft':
        if (node.children.length && isExpanded(node)) setExpanded(node, false);
        else if (node.parent) focusItem(items.get(node.parent.id));
        break;
      case 'Home':
        focusItem(itemOf(rootNodes[0]));
        break;
      case 'End':
        focusItem(itemOf(rootNodes.length ? lastVisibleIn(rootNodes[rootNodes.length - 1]) : null));
        break;
      case 'Enter':
      case ' ':
        onOpen(node.id);
        break;
      default:
        handled = false;
    }
    if (handled) e.preventDefault();
  });

  return {
    load,
    has: (id) => nodes.has(id),
    get: (id) => nodes.get(id) || null,
    first: () => order[0] || '',
    previous: (id) => (position.has(id) && position.get(id) > 0 ? order[position.get(id) - 1] : ''),
    next: (id) => (position.has(id) && position.get(id) + 1 < order.length ? order[position.get(id) + 1] : ''),
    ancestors: (id) => {
      const chain = [];
      const node = nodes.get(id);
      for (let p = node ? node.parent : null; p; p = p.parent) chain.unshift(p);
      return chain;
    },
    select,
    // The reader's place: { open: [ids of open branches], scroll }.
    place: () => ({
      open: Array.from(items.values()).filter((li) => li.getAttribute('aria-expanded') === 'true')
        .map((li) => li.dataset.id),
      scroll: (list.closest('.zd-panel') || list).scrollTop,
    }),
    restorePlace: (place) => {
      if (!place || !Array.isArray(place.open)) return;
      for (const id of place.open) {
        const node = nodes.get(id);
        if (node) setExpanded(node, true);
      }
      const box = list.closest('.zd-panel') || list;
      if (Number.isFinite(place.scroll)) box.scrollTop = place.scroll;
    },
    focusCurrent: () => focusItem(items.get(selectedId) || list.querySelector('[role="treeitem"]')),
  };
}
