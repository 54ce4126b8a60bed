#!/usr/bin/env bash
# Both programs answer --help in the locale's language (Japanese for a Japanese locale and for C/POSIX,
# English for any other) and --version alike, without a display.
set -euo pipefail
oruvan=$1 outline=$2 version=$3
failures=0
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
in_locale() {
  local lang=$1
  shift
  env -u LC_ALL -u LC_MESSAGES -u LANGUAGE -u DISPLAY -u WAYLAND_DISPLAY LANG="$lang" "$@" 2>&1
}

while IFS='|' read -r lang editor tool; do
  first=$(in_locale "$lang" "$oruvan" --help | head -n 2 | tail -n 1) || fail "oruvan --help under $lang: status $?"
  [ "$first" = "$editor" ] || fail "oruvan --help under $lang: '$first'"
  first=$(in_locale "$lang" "$outline" --help | head -n 1) || fail "oruvan-outline --help under $lang: status $?"
  [ "$first" = "$tool" ] || fail "oruvan-outline --help under $lang: '$first'"
done <<'TABLE'
en_US.UTF-8|Views and edits text files with a list of their headings. Each file opens in its own window.|Usage: oruvan-outline [options] FILE...
de_DE.UTF-8|Views and edits text files with a list of their headings. Each file opens in its own window.|Usage: oruvan-outline [options] FILE...
ja_JP.UTF-8|見出しの一覧付きでテキストファイルを表示・編集します。ファイルごとにウィンドウを開きます。|使い方: oruvan-outline [オプション] ファイル...
C.UTF-8|見出しの一覧付きでテキストファイルを表示・編集します。ファイルごとにウィンドウを開きます。|使い方: oruvan-outline [オプション] ファイル...
TABLE

for lang in en_US.UTF-8 ja_JP.UTF-8; do
  [ "$(in_locale "$lang" "$oruvan" --version)" = "Oruvan $version" ] || fail "oruvan --version under $lang"
  [ "$(in_locale "$lang" "$outline" --version)" = "oruvan-outline $version" ] || fail "oruvan-outline --version"
done

[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "help and version in both languages"
