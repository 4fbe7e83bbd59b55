// The Contents and Index tabs (the ARIA tabs pattern: arrow keys move between the tabs and
// show the panel of the one reached), and showing and hiding boxes that scroll.

// Hides or shows el, keeping the scroll positions of the panels in it: a hidden box
// forgets them, and the reader's place in a long tree must not be lost to a search.
export function setShown(el, show) {
  const panels = el.classList.contains('zd-panel') ? [el] : Array.from(el.querySelectorAll('.zd-panel'));
  if (!show && !el.hidden) {
    for (const p of panels) if (!p.hidden) p.dataset.scrollTop = String(p.scrollTop);
  }
  el.hidden = !show;
  if (show) {
    for (const p of panels) if (!p.hidden && p.dataset.scrollTop) p.scrollTop = Number(p.dataset.scrollTop);
  }
}

export function createTabs(tabs, { onShow }) {
  const panelOf = (tab) => document.getElementById(tab.getAttribute('aria-controls'));
  let current = tabs.find((t) => t.getAttribute('aria-selected') === 'true') || tabs[0];

  function select(tab, focus) {
    if (tab !== current) {
      setShown(panelOf(current), false);
      current.setAttribute('aria-selected', 'false');
      current.tabIndex = -1;
      current = tab;
      tab.setAttribute('aria-selected', 'true');
      tab.tabIndex = 0;
      setShown(panelOf(tab), true);
    }
    if (focus) tab.focus();
    onShow(tab);
  }

  for (const tab of tabs) {
    tab.addEventListener('click', () => select(tab, false));
    tab.addEventListener('keydown', (e) => {
      const at = tabs.indexOf(tab);
      let next = null;
      if (e.key === 'ArrowRight') next = tabs[(at + 1) % tabs.length];
      else if (e.key === 'ArrowLeft') next = tabs[(at - 1 + tabs.length) % tabs.length];
      else if (e.key === 'Home') next = tabs[0];
      else if (e.key === 'End') next = tabs[tabs.length - 1];
      if (!next) return;
      e.preventDefault();
      select(next, true);
    });
  }

  return { current: () => current.id, select: (id) => select(tabs.find((t) => t.id === id) || current, false) };
}
