#!/usr/bin/env bash
# The folder order holds: an include of a folder a library does not use fails to compile, one of a
# folder it uses compiles; no source reaches around the order with "../"; Scintilla is spoken only in view/.
# Usage: test_layers.sh BUILD_DIR SRC_DIR
set -uo pipefail
build=$1 src=$2 failed=0
fail() { echo "FAIL: $*"; failed=1; }

while read -r probe expect header; do
  out=$(cmake --build "$build" --target "$probe" 2>&1); status=$?
  if [ "$expect" = builds ]; then
    [ $status -eq 0 ] || fail "$probe should build:"$'\n'"$out"
  elif [ $status -eq 0 ]; then
    fail "$probe built, but its folder may not include $header"
  elif ! grep -q "$header: No such file or directory" <<<"$out"; then
    fail "$probe failed for another reason than its include:"$'\n'"$out"
  fi
done < <(sed -n 's/^ *oruvan_probe(\([a-z_]*\) [a-z_]* \([a-z]*\) "\(.*\)")$/\1 \2 \3/p' \
           "$(dirname "$0")/CMakeLists.txt")

around=$(grep -rn '#include *"\.\./' "$src")
[ -z "$around" ] || fail "includes that reach around the folder order:"$'\n'"$around"
scintilla=$(grep -rnE 'SendScintilla|\bSCI_[A-Z]|\bSC_[A-Z]|#include *<Qsci/' "$src" --include='*.cpp' --include='*.h' |
            grep -v "^$src/view/")
[ -z "$scintilla" ] || fail "Scintilla outside view/:"$'\n'"$scintilla"
exit $failed
