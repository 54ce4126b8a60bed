#!/usr/bin/env bash
# The Debian package made from this build: its control fields, the files it installs, and what
# desktop-file-validate, appstreamcli, man and lintian say of them; the installed oruvan-outline reads
# the user's settings. Usage: test_package.sh BUILD_DIR VERSION. Exits 77 (skipped) when a tool is missing.
set -euo pipefail
build=$1 version=$2
missing=()
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli man gzip; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: the package cannot be checked without ${missing[*]} (scripts/setup installs them)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
deb=$work/out/oruvan_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = oruvan ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = editors ] || fail "Section: $(field Section)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Homepage) == https://* ]] || fail "Homepage: $(field Homepage)"
# dpkg-shlibdeps found the libraries the two programs link.
for lib in "libc6 (" "libqt6widgets6 ("; do
  [[ $(field Depends) == *"$lib"* ]] || fail "Depends lacks ${lib% (}: $(field Depends)"
done
# The patched QScintilla is linked in: the system's library is no dependency.
[[ $(field Depends) != *libqscintilla2* ]] || fail "Depends names the system QScintilla: $(field Depends)"
[[ $(field Recommends) == *qt6-wayland* ]] || fail "Recommends lacks qt6-wayland: $(field Recommends)"

# Exactly these files, nothing left in bin/ or elsewhere.
id=org.example.Oruvan
expected="/usr/bin/oruvan
/usr/bin/oruvan-outline
/usr/share/applications/$id.desktop
/usr/share/doc/oruvan/changelog.gz
/usr/share/doc/oruvan/copyright
$(for s in 16 24 32 48 64 128 256; do echo "/usr/share/icons/hicolor/${s}x$s/apps/$id.png"; done)
/usr/share/icons/hicolor/scalable/apps/$id.svg
/usr/share/lintian/overrides/oruvan
/usr/share/man/ja/man1/oruvan-outline.1.gz
/usr/share/man/ja/man1/oruvan.1.gz
/usr/share/man/man1/oruvan-outline.1.gz
/usr/share/man/man1/oruvan.1.gz
/usr/share/metainfo/$id.metainfo.xml
/usr/share/oruvan/readme.txt
/usr/share/oruvan/translations/oruvan_en.qm"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' | sort)
[ "$actual" = "$(sort <<<"$expected")" ] || fail "files differ from the expected list:
$(diff <(sort <<<"$expected") <(echo "$actual"))"

root=$work/root
dpkg-deb -x "$deb" "$root"
# The unpacked copy finds its English beside its share folder, and speaks Japanese in a Japanese locale.
help=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=en_US.UTF-8 "$root/usr/bin/oruvan" --help 2>&1 | sed -n 2p)
[ "$help" = "Views and edits text files with a list of their headings. Each file opens in its own window." ] ||
  fail "the installed copy's English --help: $help"
help=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=ja_JP.UTF-8 "$root/usr/bin/oruvan" --help 2>&1 | sed -n 2p)
[[ $help == 見出し* ]] || fail "the installed copy's Japanese --help: $help"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" || fail "the desktop file names another icon"
grep -qx "Exec=oruvan %F" "$root/usr/share/applications/$id.desktop" || fail "Exec line"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo launches another desktop file"

# Each icon is a PNG of the size its folder names: width and height from the IHDR chunk.
for s in 16 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${s}x$s/apps/$id.png
  size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "${s}x$s" ] || fail "$(basename "$(dirname "$(dirname "$png")")") icon is $size"
done

# The manual pages render without a warning and name every option of the tool.
for page in "$root"/usr/share/man/man1/*.gz "$root"/usr/share/man/ja/man1/*.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
options=$(grep -o -- '--[a-z-]*' <("$build/oruvan-outline" --help) | sort -u)
for page in "$root"/usr/share/man/man1/oruvan-outline.1.gz "$root"/usr/share/man/ja/man1/oruvan-outline.1.gz; do
  text=$(zcat "$page" | sed 's/\\-/-/g')
  for option in $options; do
    grep -q -- "$option" <<<"$text" || fail "$page does not describe $option"
  done
done

# The installed tool reads the editor's settings from the user's configuration folder.
home=$work/home
mkdir -p "$home/.config/oruvan"
printf '[Setting]\r\nTitleMarks=#\r\n' >"$home/.config/oruvan/oruvan.ini"
printf '#one\r\n//@two\r\n' >"$work/doc.txt"
out=$(env -u XDG_CONFIG_HOME HOME="$home" "$root/usr/bin/oruvan-outline" "$work/doc.txt") || fail "installed oruvan-outline"
[ "$out" = $'1\tone' ] || fail "installed oruvan-outline ignored ~/.config/oruvan/oruvan.ini: '$out'"

# lintian: no error. Its warnings and notes are printed for the log.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -q '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi

if [ "$failures" -eq 0 ]; then echo "package: 1 passed, 0 failed"; else echo "package: 0 passed, 1 failed"; exit 1; fi
