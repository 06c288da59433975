// Helpers of the start page: minimizing a web part, its settings dialog, and
// the visitor's choices, kept in this browser only.
(function () {
  var key = 'ombrelio.portal.state';

  function load() {
    try { return JSON.parse(window.localStorage.getItem(key)) || {}; } catch (e) { return {}; }
  }
  function save(state) {
    try { window.localStorage.setItem(key, JSON.stringify(state)); } catch (e) { }
  }
  function content(id) { return document.getElementById('content_' + id); }
  function box(id) { return document.getElementById('wp_' + id) || (content(id) && content(id).parentNode); }

  function setMinimized(id, minimized) {
    var c = content(id);
    if (c) c.style.display = minimized ? 'none' : '';
    var button = document.getElementById('btn_' + id);
    if (button && button.getAttribute('src1'))
      button.src = button.getAttribute(minimized ? 'src2' : 'src1');
  }

  window.toggleAndSaveWebpart = function (id) {
    var state = load();
    var minimized = !(state[id] === 'min');
    if (minimized) state[id] = 'min'; else delete state[id];
    save(state);
    setMinimized(id, minimized);
  };

  window.showDialog = function (id, url, width, height) {
    window.open(url, 'settings_' + id, 'width=' + (width || 300) + ',height=' + (height || 200) + ',resizable=yes');
  };

  window.portalRestoreState = function () {
    var state = load();
    for (var id in state) {
      if (state[id] === 'min') setMinimized(id, true);
      if (state[id] === 'removed') { var b = box(id); if (b) b.style.display = 'none'; }
    }
  };

  // "Remove" hides the part for this visitor; the desk itself is edited in the toolkit.
  document.addEventListener('click', function (event) {
    var link = event.target.closest ? event.target.closest('a[href*="remove?ID="]') : null;
    if (!link) return;
    event.preventDefault();
    var id = decodeURIComponent(link.getAttribute('href').split('remove?ID=')[1] || '');
    var state = load();
    state[id] = 'removed';
    save(state);
    var b = box(id);
    if (b) b.style.display = 'none';
  });
})();
