#!/usr/bin/env python3
"""Writes test inputs for the scanner benchmark.

  gen_page.py page OUT [--mib 10]      a realistic HTML page with inline script
                                       and style, about MIB mebibytes of UTF-8
  gen_page.py minified OUT [--mib 5]   one line of minified script, no line end
  gen_page.py php OUT [--mib 10]       a PHP page: the HTML page with PHP blocks
                                       between, in and around its markup

The output depends only on the arguments (fixed random seed), so figures
taken on different days are comparable.
"""

import argparse
import random

WORDS = ("the quick brown fox jumps over lazy dog editor page table list item "
         "value number option window search result script style colour border "
         "margin header footer section article index about contact").split()
JA_WORDS = ["日本語", "テキスト", "編集", "文書", "検索", "設定", "表示", "保存"]
TAGS_INLINE = ["b", "i", "em", "strong", "code", "span", "small"]
CSS_PROPS = ["color", "background-color", "margin", "padding", "font-size",
             "font-family", "border", "display", "width", "line-height"]
CSS_VALUES = ["#336", "0", "10px", "1.5em", "none", "block", "sans-serif",
              "1px solid #ccc", "auto", "red"]
ENTITIES = ["&amp;", "&lt;", "&gt;", "&nbsp;", "&copy;", "&#169;", "&raquo;"]


def sentence(rng):
    parts = []
    for _ in range(rng.randint(6, 18)):
        r = rng.random()
        if r < 0.06:
            parts.append(rng.choice(ENTITIES))
        elif r < 0.12:
            t = rng.choice(TAGS_INLINE)
            parts.append("<%s>%s</%s>" % (t, rng.choice(WORDS), t))
        elif r < 0.16:
            parts.append('<a href="%s.html#s%d" title="%s">%s</a>' % (
                rng.choice(WORDS), rng.randint(1, 99), rng.choice(WORDS), rng.choice(WORDS)))
        elif r < 0.22:
            parts.append(rng.choice(JA_WORDS))
        else:
            parts.append(rng.choice(WORDS))
    return " ".join(parts).capitalize() + "."


def style_block(rng):
    lines = ['<style type="text/css">', "<!--"]
    for _ in range(rng.randint(4, 12)):
        sel = rng.choice(["p", "div.%s" % rng.choice(WORDS), "#%s a:hover" % rng.choice(WORDS),
                          "ul > li", "h%d" % rng.randint(1, 6)])
        decls = "; ".join("%s: %s" % (rng.choice(CSS_PROPS), rng.choice(CSS_VALUES))
                          for _ in range(rng.randint(1, 4)))
        lines.append("%s { %s }" % (sel, decls))
    lines += ["-->", "</style>"]
    return lines


def script_block(rng):
    name = rng.choice(WORDS)
    lines = ['<script type="text/javascript">', "<!--",
             "/* %s handling" % name, "   for the %s page */" % rng.choice(WORDS),
             "function %s%d(a, b) {" % (name, rng.randint(1, 999))]
    for _ in range(rng.randint(3, 12)):
        r = rng.random()
        if r < 0.2:
            lines.append('  var s = "%s \\u00e9\\n" + a[%d] / b;' % (rng.choice(WORDS), rng.randint(0, 9)))
        elif r < 0.35:
            lines.append("  if (/^%s\\d+$/i.test(a)) { return 'x\\'y'; } // %s" % (
                rng.choice(WORDS), rng.choice(WORDS)))
        elif r < 0.5:
            lines.append("  for (var i = 0; i < a.length; i++) { b += a[i] * %d; }" % rng.randint(2, 9))
        elif r < 0.65:
            lines.append('  document.getElementById("%s").innerHTML = "<b>" + b + "</b>";' % rng.choice(WORDS))
        elif r < 0.8:
            lines.append("  b = typeof a === 'undefined' ? null : a.%s(b, %d);" % (rng.choice(WORDS), rng.randint(0, 99)))
        else:
            lines.append("  // %s" % sentence(rng))
    lines += ["  return b;", "}", "//-->", "</script>"]
    return lines


def body_block(rng):
    r = rng.random()
    if r < 0.45:
        return ['<p class="%s">%s</p>' % (rng.choice(WORDS), sentence(rng))]
    if r < 0.6:
        items = ['  <li><a href="%s.html">%s</a></li>' % (rng.choice(WORDS), rng.choice(WORDS))
                 for _ in range(rng.randint(3, 8))]
        return ['<ul id="%s">' % rng.choice(WORDS)] + items + ["</ul>"]
    if r < 0.72:
        rows = []
        for _ in range(rng.randint(2, 6)):
            cells = "".join('<td align="right">%d</td>' % rng.randint(0, 9999) for _ in range(4))
            rows.append("  <tr>%s</tr>" % cells)
        return ['<table border="1" cellpadding="2">'] + rows + ["</table>"]
    if r < 0.8:
        return ["<!-- %s" % rng.choice(WORDS), "     %s -->" % sentence(rng)]
    if r < 0.88:
        return ['<img src="img/%s.png" alt="%s"' % (rng.choice(WORDS), rng.choice(WORDS)),
                '     width="%d" height="%d">' % (rng.randint(10, 600), rng.randint(10, 400))]
    if r < 0.94:
        return script_block(rng)
    return ['<div class="%s">' % rng.choice(WORDS),
            "  <h2>%s</h2>" % rng.choice(WORDS).capitalize(),
            "  <p>%s<br>" % sentence(rng), "  %s</p>" % sentence(rng), "</div>"]


def php_block(rng):
    w = rng.choice(WORDS)
    r = rng.random()
    if r < 0.3:
        return ['<p class="<?= $%s ?>"><?php echo htmlspecialchars($%s[\'%s\']); ?></p>' % (
            w, w, rng.choice(WORDS))]
    if r < 0.5:
        return ["<?php foreach ($%ss as $i => $%s): ?>" % (w, w),
                '  <li><a href="<?= $%s->url ?>"><?= $i + 1 ?>. %s</a></li>' % (w, sentence(rng)),
                "<?php endforeach; ?>"]
    if r < 0.65:
        return ["<?php", "$%s = <<<HTML" % w, "  <b>{$%s['name']}</b> %s" % (w, sentence(rng)),
                "HTML;", "?>"]
    lines = ["<?php", "/* %s for the %s page */" % (w, rng.choice(WORDS)),
             "function %s%d(array $a, string $b = '%s'): ?string {" % (w, rng.randint(1, 999), w)]
    for _ in range(rng.randint(3, 10)):
        r = rng.random()
        if r < 0.3:
            lines.append('    $s = "%s \\n{$a[%d]}" . $b; // %s' % (w, rng.randint(0, 9), rng.choice(WORDS)))
        elif r < 0.6:
            lines.append("    if (isset($a['%s']) && $a['%s'] > %d) { return null; } # %s" % (
                w, w, rng.randint(0, 99), rng.choice(WORDS)))
        else:
            lines.append("    $b .= sprintf('%%d:%%s', count($a), $this->%s);" % rng.choice(WORDS))
    lines += ["    return $b;", "}", "?>"]
    return lines


def page(rng, size, php=False):
    out = ["<!DOCTYPE html>", '<html lang="ja">', "<head>", '<meta charset="UTF-8">',
           "<title>Generated page</title>"]
    out += style_block(rng) + script_block(rng) + ["</head>", "<body>"]
    total = sum(len(l.encode("utf-8")) + 1 for l in out)
    tail = ["</body>", "</html>"]
    while total < size - 64:
        block = body_block(rng)
        if php and rng.random() < 0.35:
            block = php_block(rng)
        elif rng.random() < 0.03:
            block = style_block(rng)
        out += block
        total += sum(len(l.encode("utf-8")) + 1 for l in block)
    out += tail
    return "\n".join(out) + "\n"


def minified(rng, size):
    pieces = []
    total = 0
    while total < size:
        w = rng.choice(WORDS)
        n = rng.randint(0, 99)
        p = rng.choice([
            'var %s%d=function(a,b){return a/b+"%s\\u00e9"};' % (w, n, w),
            "if(/^%s\\d+$/i.test(x)){y=x.split('%s')[%d]}" % (w, w, n % 10),
            "for(var i=0;i<a.length;i++){s+=a[i]*%d}" % n,
            'document.getElementById("%s").innerHTML="<b>"+s+"</b>";' % w,
            "/*%s*/z=typeof q==='undefined'?null:q.%s(%d);" % (w, w, n),
        ])
        pieces.append(p)
        total += len(p)
    return "".join(pieces)[:size]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("kind", choices=["page", "minified", "php"])
    ap.add_argument("out")
    ap.add_argument("--mib", type=float, default=None)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    mib = args.mib if args.mib is not None else (5 if args.kind == "minified" else 10)
    size = int(mib * 1024 * 1024)
    if args.kind == "minified":
        text = minified(rng, size)
    else:
        text = page(rng, size, php=args.kind == "php")
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main()
