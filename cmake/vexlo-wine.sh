#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest and gtest_discover_tests.
# Usage: vexlo-wine.sh <wineprefix> <program.exe> [argument ...]
#
# - The prefix is private to the build tree and created on first use.
# - Wine's own diagnostics are silenced (WINEDEBUG=-all); the program's
#   output and exit status pass through unchanged, except that the carriage
#   returns of the Windows runtime's text-mode stdout are dropped: the test
#   list that gtest_discover_tests parses must be plain lines.
# - The prefix's Wine server is kept for 15 seconds after the last program
#   exits, then ends by itself (see below).
# - Only the wine64 loader is needed (Debian's wine64 package alone, no
#   32-bit Wine, no /usr/bin/wine wrapper).
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 <wineprefix> <program.exe> [argument ...]" >&2
  exit 2
fi
export WINEPREFIX="$1"
shift

loader=""
for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then
    loader="$candidate"
    break
  fi
done
if [ -z "$loader" ]; then
  echo "$0: no Wine loader found (install Debian's wine64)" >&2
  exit 2
fi
case "$(basename "$loader")" in
  wine64) export WINELOADER="$loader" ;;
esac
server="$(dirname "$(readlink -f "$loader")")/wineserver"
[ -x "$server" ] || server="$(command -v wineserver || true)"

export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko installer dialogs while the prefix is created, and no
# attempt to reach a display.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

# Under one lock, so that parallel tests neither race to create the prefix
# nor to start its server:
# - The prefix is created on first use.
# - The server is started to outlive each program by 15 seconds: CTest starts
#   one program per test, and restarting the server and Wine's services for
#   each of them doubles the suite's time. It ends by itself after the tests.
# - A fresh server's services (services.exe, winedevice.exe, ...) are started
#   by the session's first program and inherit its standard streams. A
#   throwaway program starts them here, on /dev/null: otherwise they would
#   hold the test's output pipe open, and CTest would wait for them to exit.
#   Nothing started here keeps the lock's descriptor (9>&-): the server would
#   hold the lock for as long as it lives.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.vexlo-ready" ]; then
    "$loader" wineboot.exe --init </dev/null >/dev/null 2>&1 9>&- || true
    # The registry reaches the disk only when the server has finished.
    [ -z "$server" ] || "$server" -w 9>&-
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "$0: could not create the Wine prefix $WINEPREFIX" >&2
      exit 2
    fi
    touch "$WINEPREFIX/.vexlo-ready"
  fi
  if [ -n "$server" ] && "$server" -p15 </dev/null >/dev/null 2>&1 9>&-; then
    "$loader" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$WINEPREFIX.lock"

set +e
"$loader" "$@" | tr -d '\r'
exit "${PIPESTATUS[0]}"
