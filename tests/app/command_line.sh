#!/usr/bin/env bash
# vivori-trivex's command line: help and version answer and end, a wrong option is a
# usage error, and a display that cannot be opened is said in words (not an abort).
set -u
app="$1"
fail=0
check() {  # check NAME EXPECTED-CODE PATTERN -- COMMAND...
  local name="$1" code="$2" pattern="$3"; shift 4
  local out; out="$("$@" 2>&1)"; local got=$?
  if [[ $got -ne $code ]] || ! grep -qE -e "$pattern" <<<"$out"; then
    echo "FAIL $name: exit $got (want $code), output:"; echo "$out" | head -5; fail=1
  else
    echo "ok   $name"
  fi
}
check help 0 '^Usage: vivori-trivex' -- "$app" --help
check short-help 0 '--screenshot PATH' -- "$app" -h
check version 0 '^vivori-trivex [0-9]+\.[0-9]+\.[0-9]+$' -- "$app" --version
check unknown 2 "unknown option '--frobnicate'" -- "$app" --frobnicate
check no-value 2 '--page needs a value' -- "$app" --page
check bad-page 2 "unknown page 'toaster'" -- "$app" --page toaster
# Nothing listens on display 987.
check display 1 'cannot open the display :987' -- \
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:987 XDG_RUNTIME_DIR="$(mktemp -d)" "$app"
exit $fail
