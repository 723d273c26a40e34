#!/usr/bin/env bash
# Builds and runs the client program of the README exactly as the README says: its program, its
# commands (with UNICODE as written and again without it) and the output it promises, plus the run-log
# line and the runner's message when util.dll is missing.
#   readme_client.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$(cd "$1" && pwd -P)
build_dir=$(cd "$2" && pwd -P)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The n-th fenced block of a language in the README's client section.
block() {
  awk -v lang="$1" '
    /^## / { inside = ($0 == "## Using the library from a client") }
    inside && !open && $0 == "```" lang { open = 1; next }
    open && $0 == "```" { exit }
    open { print }
  ' "$source_dir/README.md"
}

passed=0
failed=0
check() { # description, then a command that succeeds when the check holds
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}

program=$(block cpp)
commands=$(block sh)
expected=$(block text)
check "the README has the program, its commands and its output" \
  test -n "$program" -a -n "$commands" -a -n "$expected"
check "the README's command defines UNICODE, so that the second run goes without it" \
  grep -q -- '-DUNICODE -D_UNICODE' <<<"$commands"

# UTIL as the README means it: the repository with its build folder.
mkdir -p "$work/util"
ln -s "$source_dir/include" "$work/util/include"
ln -s "$source_dir/scripts" "$work/util/scripts"
ln -s "$build_dir" "$work/util/build"

for variant in wide narrow; do
  dir="$work/$variant"
  mkdir -p "$dir"
  printf '%s\n' "$program" >"$dir/client.cpp"
  script=$commands
  if [ "$variant" = narrow ]; then
    script=${script//-DUNICODE -D_UNICODE/}
  fi
  output=$(cd "$dir" && UTIL="$work/util" bash -e -c "$script" 2>"$dir/stderr" | tr -d '\r')
  check "$variant: the output is what the README shows (got: $output; $(head -c 2000 "$dir/stderr"))" \
    test "$output" = "$expected"
  log=$(ls "$dir"/*.log 2>/dev/null | head -n 1)
  check "$variant: the run log beside the program has the line" \
    grep -q 'ModuleID:0\]: sent order' <(iconv -f UTF-16 -t UTF-8 "${log:-/dev/null}" 2>/dev/null)
  check "$variant: the setting went to the file the README names" \
    grep -q 'code=600000' <(iconv -f UTF-16 -t UTF-8 "$dir/client.ini" 2>/dev/null)
done

# Without util.dll beside it the program cannot start, and the runner says which DLL it lacks.
rm "$work/wide/util.dll"
message=$(cd "$work/wide" && "$source_dir/scripts/wine-run" --build "$build_dir" ./client.exe 2>&1 >/dev/null)
check "the runner names the missing DLL (got: $message)" grep -q 'missing DLLs: util.dll' <<<"$message"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
