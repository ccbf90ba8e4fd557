#!/usr/bin/env python3
"""Makes minified test files from real style sheets and scripts.

  minify.py IN OUT              css, js or html by IN's suffix
  minify.py IN OUT --kib N      the input repeated until the output has N KiB

Line breaks and indentation go, comments too (except /*! notices); blanks
stay only where two words would run together. Strings, template strings and
regular expressions are copied as they are. Good enough to give the editor a
realistic minified file; not meant to make scripts smaller for browsers.
"""

import argparse
import re
import sys

WORD = re.compile(r"[A-Za-z0-9_$\\]")
REGEX_AFTER = set("(,=:[!&|?{};+-*%<>~^")
REGEX_KEYWORDS = ("return", "typeof", "case", "do", "else", "in", "of", "void", "yield")


def squeeze(out, ch):
    """Appends one blank for a run of white space, where one is needed."""
    if out and WORD.match(out[-1]) and ch is not None and WORD.match(ch):
        out.append(" ")


def minify_js(text):
    out = []
    i, n = 0, len(text)
    pending_blank = False
    while i < n:
        c = text[i]
        if c in " \t\r\n":
            pending_blank = True
            i += 1
            continue
        if pending_blank:
            squeeze(out, c)
            pending_blank = False
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            if text.startswith("/*!", i):
                out.append(re.sub(r"\s*\n\s*", " ", text[i:end]))
            i = end
            continue
        if c in "\"'`":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
            continue
        if c == "/":
            before = "".join(out).rstrip()[-8:]
            word = re.search(r"[A-Za-z_$]+$", before)
            if not before or before[-1] in REGEX_AFTER or (word and word.group() in REGEX_KEYWORDS):
                j, in_class = i + 1, False
                while j < n and text[j] != "\n":
                    if text[j] == "\\":
                        j += 2
                        continue
                    if text[j] == "[":
                        in_class = True
                    elif text[j] == "]":
                        in_class = False
                    elif text[j] == "/" and not in_class:
                        break
                    j += 1
                j += 1
                while j < n and text[j].isalpha():
                    j += 1
                out.append(text[i:j])
                i = j
                continue
        out.append(c)
        i += 1
    return "".join(out)


def minify_css(text):
    text = re.sub(r"/\*(?!!).*?\*/", "", text, flags=re.S)
    text = re.sub(r"\s+", " ", text)
    text = re.sub(r"\s*([{};:,>])\s*", r"\1", text)
    return text.replace(";}", "}").strip()


def minify_html(text):
    text = re.sub(r"<!--(?!\[).*?-->", "", text, flags=re.S)
    text = re.sub(r">\s+<", "><", text)
    return re.sub(r"\s+", " ", text).strip()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("source")
    ap.add_argument("out")
    ap.add_argument("--kib", type=float, default=None)
    args = ap.parse_args()
    with open(args.source, encoding="utf-8") as f:
        text = f.read()
    kind = args.source.rsplit(".", 1)[-1].lower()
    minify = {"js": minify_js, "css": minify_css, "html": minify_html, "htm": minify_html}.get(kind)
    if minify is None:
        sys.exit("minify.py: css, js or html only")
    once = minify(text)
    result = once
    if args.kib:
        glue = "" if kind != "js" else ";"
        while len(result.encode("utf-8")) < args.kib * 1024:
            result += glue + once
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write(result)


if __name__ == "__main__":
    main()
