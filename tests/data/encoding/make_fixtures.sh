#!/bin/sh
# Rebuilds the encoded copies of ja_source.html (UTF-8, LF) with glibc iconv.
# Shift-JIS files use the CP932 table, which agrees with the program's codec
# for every character of the source text.
set -eu
cd "$(dirname "$0")"
src=ja_source.html
crlf() { sed 's/$/\r/'; }

cp "$src" ja_utf8_lf.html
crlf < "$src" > ja_utf8_crlf.html
{ printf '\357\273\277'; cat "$src"; } > ja_utf8bom_lf.html
{ printf '\357\273\277'; crlf < "$src"; } > ja_utf8bom_crlf.html

iconv -f UTF-8 -t CP932 "$src" > ja_sjis_lf.html
crlf < "$src" | iconv -f UTF-8 -t CP932 > ja_sjis_crlf.html
iconv -f UTF-8 -t EUC-JP "$src" > ja_eucjp_lf.html
crlf < "$src" | iconv -f UTF-8 -t EUC-JP > ja_eucjp_crlf.html

for order in LE BE; do
    lower=$(echo "$order" | tr 'A-Z' 'a-z')
    iconv -f UTF-8 -t UTF-16$order "$src" > ja_utf16${lower}_lf.html
    crlf < "$src" | iconv -f UTF-8 -t UTF-16$order > ja_utf16${lower}_crlf.html
    { printf '\357\273\277'; cat "$src"; } | iconv -f UTF-8 -t UTF-16$order > ja_utf16${lower}bom_lf.html
    { printf '\357\273\277'; crlf < "$src"; } | iconv -f UTF-8 -t UTF-16$order > ja_utf16${lower}bom_crlf.html
done

# Four-byte UTF-8: an emoji and a kanji outside the basic plane, no BOM.
{ head -n 6 "$src"; printf '<p>\360\237\214\277 \360\251\270\275の干物と苔 \360\237\215\265</p>\n'; tail -n 2 "$src"; } > ja_utf8_4byte.html
