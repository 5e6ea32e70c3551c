#!/usr/bin/env bash
# Runs openrgb_client.js (the npm package openrgb-sdk, installed into the build folder
# on first use) against vivori-trivex --sdk-server PORT with the four simulated devices.
# Exit 77 (skipped) when node, npm or the package registry is not there.
#   openrgb_client_test.sh VIVORI_TRIVEX BUILD_DIR
set -u
app="$1"
build="$2"
here="$(cd "$(dirname "$0")" && pwd)"

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "SKIP: node or npm is not installed (scripts/install-deps installs them)"
  exit 77
fi
client="$build/sdk-client"
if [ ! -f "$client/node_modules/openrgb-sdk/package.json" ]; then
  mkdir -p "$client"
  if ! timeout 300 npm install --prefix "$client" --no-audit --no-fund --silent openrgb-sdk \
      >"$client/install.log" 2>&1; then
    echo "SKIP: npm could not install openrgb-sdk (is the registry reachable?)"
    tail -n 5 "$client/install.log"
    exit 77
  fi
fi

work="$(mktemp -d /tmp/vivori-sdk-XXXXXX)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run" && chmod 700 "$work/run"
port="$(node -e 'const s=require("net").createServer().listen(0,"127.0.0.1",()=>{console.log(s.address().port);s.close()})')"

XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  QT_QPA_PLATFORM=offscreen VIVORI_DEBUG=1 VIVORI_SIMULATE=keyboard,mouse,pad,headset \
  "$app" --sdk-server "$port" 2>"$work/app.log" >/dev/null &
pid=$!

NODE_PATH="$client/node_modules" node "$here/openrgb_client.js" "$port" "$work/app.log"
rc=$?
[ $rc -ne 0 ] && grep -a "sdk:" "$work/app.log" | tail -n 20
exit $rc
