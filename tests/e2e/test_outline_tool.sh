#!/bin/bash
# Runs oruvan-outline on small cp932 files and checks what it prints and how it exits.
# Usage: test_outline_tool.sh PATH-OF-ORUVAN PATH-OF-ORUVAN-OUTLINE
set -euo pipefail
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
expect_status "bad heading-levels value" 2 "^Usage:" "$OUTLINE" --heading-levels=2 "$TMP/doc.txt"

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

"$OUTLINE" --help >"$TMP/help" || { echo "FAIL help: exit status $?" >&2; failures=$((failures + 1)); }
[ "$(head -n 1 "$TMP/help")" = "Usage: oruvan-outline [options] FILE" ] || { echo "FAIL help text" >&2; failures=$((failures + 1)); }
expect_status "missing file" 1 "^oruvan-outline: cannot read $TMP/none.txt: " "$OUTLINE" "$TMP/none.txt"
expect_status "directory" 1 "^oruvan-outline: cannot read $TMP: " "$OUTLINE" "$TMP"
expect_status "unknown option" 2 "^Usage:" "$OUTLINE" --bogus "$TMP/doc.txt"
expect_status "bad flag value" 2 "^Usage:" "$OUTLINE" --ignore-head-spaces=yes "$TMP/doc.txt"
expect_status "no file" 2 "^Usage:" "$OUTLINE"
expect_status "two files" 2 "^Usage:" "$OUTLINE" "$TMP/doc.txt" "$TMP/menu.txt"

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

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all outline tool checks passed"
