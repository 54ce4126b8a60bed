#!/bin/bash
# Runs oruvan-outline on small files in every encoding and checks what it prints and how it exits.
# Usage: test_outline_tool.sh PATH-OF-ORUVAN PATH-OF-ORUVAN-OUTLINE
set -euo pipefail
# The tool's own language, whatever the caller's locale (test_language.sh covers the others).
unset LC_ALL LC_MESSAGES LANGUAGE
export LANG=C.UTF-8
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
# A private copy, so that no oruvan.ini left beside the built tool changes its defaults.
mkdir -p "$TMP/bin"
cp "${2:?usage: $0 oruvan oruvan-outline}" "$TMP/bin/oruvan-outline"
OUTLINE="$TMP/bin/oruvan-outline"
failures=0

# expect NAME EXPECTED-TEXT COMMAND...: the command's standard output must equal the text.
expect() {
  local name=$1 expected=$2
  shift 2
  local actual
  actual=$("$@") || { echo "FAIL $name: exit status $?" >&2; failures=$((failures + 1)); return 0; }
  if [ "$actual" != "$expected" ]; then
    echo "FAIL $name" >&2
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") >&2 || true
    failures=$((failures + 1))
  fi
}

# expect_status NAME STATUS STDERR-PATTERN COMMAND...
expect_status() {
  local name=$1 status=$2 pattern=$3
  shift 3
  local actual=0
  "$@" >"$TMP/out" 2>"$TMP/err" || actual=$?
  if [ "$actual" != "$status" ] || ! grep -q -- "$pattern" "$TMP/err"; then
    echo "FAIL $name: status $actual, stderr: $(head -c 300 "$TMP/err")" >&2
    failures=$((failures + 1))
  fi
}

# Square = 0x81 0xA1; "見出し" = 0x8C 0xA9 0x8F 0x6F 0x82 0xB5.
printf '//@Title\r\n  --\tsecond\t \r\n\x81\xa1 \x8c\xa9\x8f\x6f\x82\xb5\r\nplain\r\n\t//@ tab\tinside\r\n//Title\r\n\x81\xa1' \
  >"$TMP/doc.txt"

TAB=$'\t'
expect "default options" "1${TAB}Title
2${TAB}  second
3${TAB} 見出し
5${TAB} tab  inside
7${TAB}" "$OUTLINE" "$TMP/doc.txt"

expect "blanks kept, marks kept" "1${TAB}//@Title
3${TAB}■ 見出し
7${TAB}■" "$OUTLINE" --ignore-head-spaces=0 --caption-including-title-mark=1 "$TMP/doc.txt"

expect "marks from the command line" "3${TAB} 見出し
5${TAB}//@ tab  inside
7${TAB}" "$OUTLINE" --ignore-head-spaces=0 '--marks=■, "	"' "$TMP/doc.txt"

expect "an empty mark is no mark" "1${TAB}Title${TAB}1
3${TAB} 見出し${TAB}2
5${TAB} tab  inside${TAB}1
7${TAB}${TAB}2" "$OUTLINE" '--marks=//@,,■' --levels "$TMP/doc.txt"

# Levels: the position of the mark among "//@", "--", "■".
expect "level column" "1${TAB}Title${TAB}1
2${TAB}  second${TAB}2
3${TAB} 見出し${TAB}3
5${TAB} tab  inside${TAB}1
7${TAB}${TAB}3" "$OUTLINE" --levels "$TMP/doc.txt"

expect "indented by level" "1${TAB}Title
2${TAB}　  second
3${TAB}　　 見出し
5${TAB} tab  inside
7${TAB}　　" "$OUTLINE" --heading-levels=1 "$TMP/doc.txt"

expect "filter, case folded" "1${TAB}Title" "$OUTLINE" --filter=TITLE "$TMP/doc.txt"
expect "filter, every word" "5${TAB} tab  inside" "$OUTLINE" '--filter=in　tab' "$TMP/doc.txt"
expect "filter with levels" "3${TAB}　　 見出し${TAB}3" "$OUTLINE" --filter=見出 --levels --heading-levels=1 "$TMP/doc.txt"
expect "filter, nothing matches" "" "$OUTLINE" --filter=zeta "$TMP/doc.txt"
expect "filter, a character cp932 lacks" "" "$OUTLINE" --filter=é "$TMP/doc.txt"
expect "filter, blanks only" "$("$OUTLINE" "$TMP/doc.txt")" "$OUTLINE" '--filter= ' "$TMP/doc.txt"
"$OUTLINE" --raw --filter=$'\x8c\xa9' "$TMP/doc.txt" >"$TMP/raw-filter" || true
printf '3\t \x8c\xa9\x8f\x6f\x82\xb5\n' >"$TMP/raw-filter.expected"
cmp -s "$TMP/raw-filter" "$TMP/raw-filter.expected" || { echo "FAIL raw filter" >&2; failures=$((failures + 1)); }
expect "menu indented by level" "Title
　  second
　　 見出し
 tab  inside
　　" "$OUTLINE" --menu --heading-levels=1 "$TMP/doc.txt"
expect_status "levels with the menu" 2 "not the menu" "$OUTLINE" --menu --levels "$TMP/doc.txt"
expect_status "filter with the menu" 2 "not the menu" "$OUTLINE" --menu --filter=x "$TMP/doc.txt"
expect_status "bad heading-levels value" 2 "^使い方:" "$OUTLINE" --heading-levels=2 "$TMP/doc.txt"

"$OUTLINE" --raw --caption-including-title-mark=1 --marks=$'\x81\xa1' "$TMP/doc.txt" >"$TMP/raw" || true
printf '3\t\x81\xa1 \x8c\xa9\x8f\x6f\x82\xb5\n7\t\x81\xa1\n' >"$TMP/raw.expected"
cmp -s "$TMP/raw" "$TMP/raw.expected" || { echo "FAIL raw output" >&2; failures=$((failures + 1)); }

# Eighteen headings: a full first page and two entries on the next. Entry 3 is "-", entry 5 too long.
{
  for i in $(seq 1 18); do
    case $i in
      3) printf -- '---\n' ;;
      5) printf -- '--%s\n' "$(printf 'x%.0s' $(seq 1 45))" ;;
      *) printf -- '--e%d\n' "$i" ;;
    esac
    printf 'body\n'
  done
} >"$TMP/menu.txt"

X40=$(printf 'x%.0s' $(seq 1 40))
FIRST_PAGE="e1
e2
-
e4
${X40}...
e6
e7
e8
e9
e10
e11
e12
e13
e14
e15
e16"
expect "menu, page item first" "次のページ (&>)
  e17
  e18
-
${FIRST_PAGE}" "$OUTLINE" --menu "$TMP/menu.txt"

expect "menu, page item last" "${FIRST_PAGE}
-
次のページ (&>)
  e17
  e18" "$OUTLINE" --menu --next-page-menu-is-head=0 "$TMP/menu.txt"

expect_status "missing file" 1 "^oruvan-outline: cannot read $TMP/none.txt: " "$OUTLINE" "$TMP/none.txt"
expect_status "directory" 1 "^oruvan-outline: cannot read $TMP: " "$OUTLINE" "$TMP"
expect_status "unknown option" 2 "^使い方:" "$OUTLINE" --bogus "$TMP/doc.txt"
expect_status "bad flag value" 2 "^使い方:" "$OUTLINE" --ignore-head-spaces=yes "$TMP/doc.txt"
expect_status "no file" 2 "^使い方:" "$OUTLINE"
expect_status "standard input twice" 2 "^使い方:" "$OUTLINE" - "$TMP/doc.txt" -
expect_status "counts with the menu" 2 "not the menu" "$OUTLINE" --menu --counts "$TMP/doc.txt"

# Several files: grep's "name<tab>" before each line; one that cannot be read is named on stderr, the
# others are printed, and the status is 2.
printf -- '--a\nbody\n' >"$TMP/one.txt"
expect "several files" "$TMP/one.txt${TAB}1${TAB}a
(standard input)${TAB}1${TAB}Title
(standard input)${TAB}2${TAB}  second" sh -c '"$1" "$2" - <"$3" | head -n 3' sh "$OUTLINE" "$TMP/one.txt" "$TMP/doc.txt"
expect_status "several files, one missing" 2 "^oruvan-outline: cannot read $TMP/none.txt: " \
  "$OUTLINE" "$TMP/one.txt" "$TMP/none.txt" "$TMP/one.txt"
[ "$(cat "$TMP/out")" = "$TMP/one.txt${TAB}1${TAB}a
$TMP/one.txt${TAB}1${TAB}a" ] || { echo "FAIL several files, one missing: output" >&2; failures=$((failures + 1)); }

# --counts: the section's characters, breaks not counted; with levels a section holds its subsections.
printf '# A\r\ne\xcc\x81t\xc3\xa9\r\n## B\r\n\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd\r\n# C\r\nxyz' >"$TMP/md.txt"
expect "counts, levels off" "1${TAB} A${TAB}6
3${TAB}# B${TAB}5
5${TAB} C${TAB}6" "$OUTLINE" --marks='#,##' --encoding=utf-8 --counts "$TMP/md.txt"
expect "counts and longest-mark levels" "1${TAB} A${TAB}1${TAB}11
3${TAB}　 B${TAB}2${TAB}5
5${TAB} C${TAB}1${TAB}6" "$OUTLINE" --marks='#,##' --heading-levels=1 --levels --counts "$TMP/md.txt"

# The editor's settings beside the tool give the defaults; options and --settings override them.
printf '##one\r\n  ##two\r\n//@three\r\n' >"$TMP/marks.txt"
printf '[Setting]\r\nTitleMarks=##\r\nIgnoreHeadSpaces=0\r\n' >"$TMP/bin/oruvan.ini"
expect "settings beside the tool" "1${TAB}one" "$OUTLINE" "$TMP/marks.txt"
expect "option over the settings" "1${TAB}one
2${TAB}two" "$OUTLINE" --ignore-head-spaces=1 "$TMP/marks.txt"
printf '[setting]\r\ntitlemarks=//@\r\n' >"$TMP/other.ini"
expect "--settings names another file" "3${TAB}three" "$OUTLINE" --settings="$TMP/other.ini" "$TMP/marks.txt"
expect_status "missing settings file" 1 "cannot read settings" "$OUTLINE" --settings="$TMP/none.ini" "$TMP/marks.txt"
printf '[Setting]\r\nTitleMarks=##,//@\r\nHeadingLevels=1\r\n' >"$TMP/bin/oruvan.ini"
expect "heading levels from the settings" "1${TAB}one
2${TAB}two
3${TAB}　three" "$OUTLINE" "$TMP/marks.txt"
expect "option over the heading levels setting" "3${TAB}three${TAB}2" "$OUTLINE" --heading-levels=0 --levels --filter=three "$TMP/marks.txt"
rm "$TMP/bin/oruvan.ini"

# One document in every encoding and with every kind of line break gives the same headings. It is
# written here in UTF-8 and made cp932 first; every other copy is converted from the cp932 one. The
# last line has no break, "表" and "ソ" end in the byte of a backslash, "//見出し" is no heading.
cat >"$TMP/jdoc.utf8" <<'END'
■ はじめに
これは見出しのある文書です。本文は日本語で書かれています。
	//@ 設定	ファイル
  -- 第二章：表示とソフト  
本文の行です。見出しではありません。ひらがなとカタカナと漢字。

//見出しではない
■
END
printf -- '--最後の見出し' >>"$TMP/jdoc.utf8"
iconv -f UTF-8 -t CP932 "$TMP/jdoc.utf8" >"$TMP/jdoc.lf.sjis"
perl -pe 's/\n/\r\n/' "$TMP/jdoc.lf.sjis" >"$TMP/jdoc.crlf.sjis"
tr '\n' '\r' <"$TMP/jdoc.lf.sjis" >"$TMP/jdoc.cr.sjis"
perl -pe 's/\n/("\r\n", "\n", "\r")[$. % 3]/e' "$TMP/jdoc.lf.sjis" >"$TMP/jdoc.mixed.sjis"
JDOC="1${TAB} はじめに
3${TAB} 設定  ファイル
4${TAB} 第二章：表示とソフト
8${TAB}
9${TAB}最後の見出し"
ENCODINGS="UTF-8 EUC-JP-MS UTF-16LE UTF-16BE ISO-2022-JP"
for breaks in crlf lf cr mixed; do
  expect "cp932, $breaks" "$JDOC" "$OUTLINE" "$TMP/jdoc.$breaks.sjis"
  for enc in $ENCODINGS; do
    iconv -f CP932 -t "$enc" "$TMP/jdoc.$breaks.sjis" >"$TMP/jdoc.$breaks.$enc"
    expect "$enc, $breaks" "$JDOC" "$OUTLINE" "$TMP/jdoc.$breaks.$enc"
  done
done
printf '\xef\xbb\xbf' | cat - "$TMP/jdoc.crlf.UTF-8" >"$TMP/bom.utf8"
printf '\xff\xfe' | cat - "$TMP/jdoc.lf.UTF-16LE" >"$TMP/bom.utf16le"
printf '\xfe\xff' | cat - "$TMP/jdoc.cr.UTF-16BE" >"$TMP/bom.utf16be"
for f in bom.utf8 bom.utf16le bom.utf16be; do expect "byte order mark, $f" "$JDOC" "$OUTLINE" "$TMP/$f"; done
expect "named encoding" "$JDOC" "$OUTLINE" --encoding=euc-jp "$TMP/jdoc.mixed.EUC-JP-MS"
expect "standard input, a file" "$JDOC" "$OUTLINE" - <"$TMP/jdoc.mixed.UTF-16LE"
expect "standard input, a pipe" "$JDOC" sh -c 'cat "$1" | "$2" -' sh "$TMP/jdoc.mixed.ISO-2022-JP" "$OUTLINE"
expect "menu of a UTF-16 copy" "$("$OUTLINE" --menu "$TMP/jdoc.lf.sjis")" "$OUTLINE" --menu "$TMP/jdoc.lf.UTF-16BE"
# Read as Shift_JIS, the UTF-8 copy keeps only its ASCII marks; short EUC-JP copies, which read as
# valid Shift_JIS too, are told by their kana and kanji.
expect "UTF-8 read as Shift_JIS" "3
4
9" sh -c '"$1" --encoding=shift_jis "$2" | cut -f1' sh "$OUTLINE" "$TMP/jdoc.lf.UTF-8"
iconv -f CP932 -t EUC-JP-MS "$TMP/doc.txt" >"$TMP/doc.euc"
expect "short EUC-JP copy, named" "$("$OUTLINE" "$TMP/doc.txt")" "$OUTLINE" --encoding=EUC-JP "$TMP/doc.euc"
expect "short EUC-JP copy, detected" "$("$OUTLINE" "$TMP/doc.txt")" "$OUTLINE" "$TMP/doc.euc"
printf '■本文です\n' | iconv -f UTF-8 -t EUC-JP >"$TMP/heading.euc"
expect "one EUC-JP heading, detected" "1${TAB}本文です" "$OUTLINE" "$TMP/heading.euc"
expect_status "unknown encoding" 2 "unknown encoding: latin1" "$OUTLINE" --encoding=latin1 "$TMP/doc.txt"
expect_status "standard input, a folder" 1 "cannot read -: " sh -c '"$1" - <"$2"' sh "$OUTLINE" "$TMP"

# With --raw the headings come out in the document's own encoding.
printf '%s\n' "$JDOC" >"$TMP/jdoc.expected"
for enc in EUC-JP-MS UTF-16LE UTF-16BE ISO-2022-JP; do
  "$OUTLINE" --raw "$TMP/jdoc.crlf.$enc" >"$TMP/raw.$enc" || true
  iconv -f UTF-8 -t "$enc" "$TMP/jdoc.expected" >"$TMP/raw.$enc.expected"
  cmp -s "$TMP/raw.$enc" "$TMP/raw.$enc.expected" || { echo "FAIL raw output, $enc" >&2; failures=$((failures + 1)); }
done

# Large copies, read through a pipe a block at a time past the detection window, number their lines as
# the cp932 one does.
perl -0777 -ne 'print $_ x 25000' "$TMP/jdoc.mixed.sjis" >"$TMP/big.sjis"
"$OUTLINE" "$TMP/big.sjis" >"$TMP/big.expected"
[ "$(wc -l <"$TMP/big.expected")" -eq 100001 ] || { echo "FAIL large cp932 copy" >&2; failures=$((failures + 1)); }
for enc in $ENCODINGS; do
  iconv -f CP932 -t "$enc" "$TMP/big.sjis" | "$OUTLINE" - >"$TMP/big.out" || true
  cmp -s "$TMP/big.out" "$TMP/big.expected" || { echo "FAIL large $enc copy" >&2; failures=$((failures + 1)); }
done

# Characters cp932 lacks stay themselves.
printf -- '--😀 絵文字 é\n■\t𠮷野家\n' >"$TMP/emoji.utf8"
iconv -f UTF-8 -t UTF-16LE "$TMP/emoji.utf8" >"$TMP/emoji.utf16"
for f in emoji.utf8 emoji.utf16; do
  expect "characters cp932 lacks, $f" "1${TAB}😀 絵文字 é
2${TAB}  𠮷野家" "$OUTLINE" "$TMP/$f"
  expect "filter on characters cp932 lacks, $f" "1${TAB}😀 絵文字 é" "$OUTLINE" '--filter=é 😀' "$TMP/$f"
  expect "filter on a character cp932 lacks, $f" "2${TAB}  𠮷野家" "$OUTLINE" --filter=𠮷 "$TMP/$f"
  expect "filter, a question mark, $f" "" "$OUTLINE" '--filter=?' "$TMP/$f"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all outline tool checks passed"
