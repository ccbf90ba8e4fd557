/*! Mossglen test site script — written for the editor's tests */
(function (window, document) {
  "use strict";

  // Settings the page reads from its data attributes.
  var defaults = {
    delay: 250,
    label: "Show more \u2026",
    pattern: /^[a-z][\w-]*$/i,
    quotes: 'It\'s "quoted"',
  };

  function $(selector, root) {
    return (root || document).querySelector(selector);
  }

  function $$(selector, root) {
    return Array.prototype.slice.call((root || document).querySelectorAll(selector));
  }

  function escapeHtml(text) {
    return String(text)
      .replace(/&/g, "&amp;")
      .replace(/</g, "&lt;")
      .replace(/>/g, "&gt;")
      .replace(/"/g, "&quot;");
  }

  function debounce(fn, wait) {
    var timer = null;
    return function () {
      var args = arguments, self = this;
      clearTimeout(timer);
      timer = setTimeout(function () { fn.apply(self, args); }, wait);
    };
  }

  /* A tiny template: {name} is replaced by the value, escaped. */
  function render(template, values) {
    return template.replace(/\{(\w+)\}/g, function (all, name) {
      return name in values ? escapeHtml(values[name]) : all;
    });
  }

  var row = '<li class="news-item"><a href="{href}">{title}</a> <span>{date}</span></li>';

  function showNews(list, items) {
    var html = "";
    for (var i = 0; i < items.length; i++) {
      html += render(row, items[i]);
    }
    list.innerHTML = html || "<li>Nothing new, see you soon!</li>";
  }

  function parseDate(text) {
    var m = /^(\d{4})-(\d{2})-(\d{2})$/.exec(text);
    if (!m) return null;
    return new Date(+m[1], m[2] - 1, +m[3]);
  }

  function compareItems(a, b) {
    var da = parseDate(a.date), db = parseDate(b.date);
    return (db ? db.getTime() : 0) - (da ? da.getTime() : 0);
  }

  function filter(items, query) {
    if (!query) return items;
    var words = query.toLowerCase().split(/\s+/);
    return items.filter(function (item) {
      var title = item.title.toLowerCase();
      return words.every(function (w) { return title.indexOf(w) >= 0; });
    });
  }

  var ratio = window.innerWidth / 1280;
  var half = ratio / 2;

  function init() {
    var list = $("#news");
    var search = $("input[name=q]");
    if (!list) return;
    var items = JSON.parse(list.getAttribute("data-items") || "[]").sort(compareItems);
    showNews(list, items);
    if (search) {
      search.addEventListener("input", debounce(function () {
        showNews(list, filter(items, search.value));
      }, defaults.delay));
    }
    $$(".toggle").forEach(function (button) {
      button.textContent = defaults.label;
      button.addEventListener("click", function () {
        var target = $(button.getAttribute("data-target"));
        if (target) target.hidden = !target.hidden;
      });
    });
    if (half > 1 && defaults.pattern.test(document.body.id)) {
      document.body.className += " wide";
    }
  }

  // 日本語のコメント: 読み込みが終わってから始める
  if (document.readyState === "loading") {
    document.addEventListener("DOMContentLoaded", init);
  } else {
    init();
  }
  window.MossglenSite = { render: render, escapeHtml: escapeHtml, filter: filter };
})(window, document);
