#!/usr/bin/env bash
# Builds the Debian package, installs it with apt the way a user would, and
# checks the installed program: files in place, desktop entry and metainfo
# valid, and the program opens its window (under Xvfb) with its title and
# icon and keeps running. An installed copy is removed first, and this build
# is removed again at the end, also when a check fails. Needs root or sudo;
# installs the tools it uses when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

pkg=mernalt-lirvane
prefix=/usr
bin="$prefix/bin/mernalt-lirvane"
desktop="$prefix/share/applications/mernalt-lirvane.desktop"
metainfo="$prefix/share/metainfo/io.github.mernalt.lirvane.metainfo.xml"
icons="$prefix/share/icons/hicolor"
icon_sizes=(16 22 24 32 48 64 128 256)
title="Mernalt Lirvane"
window_wait=20   # seconds to wait for the window to appear
keep_alive=3     # seconds it must keep running once the window is shown

fail() { echo "check-package: FAIL: $*" >&2; exit 1; }
step() { echo "check-package: $*"; }

# --- window check: runs inside xvfb-run, started below ----------------------
if [ "${1:-}" = --window ]; then
  log="${TMPDIR:-/tmp}/mernalt-lirvane-check.log"
  "$bin" >"$log" 2>&1 &
  app=$!
  trap 'kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true' EXIT

  wid=""
  for _ in $(seq $((window_wait * 2))); do
    kill -0 "$app" 2>/dev/null || { cat "$log" >&2; fail "program exited before showing its window"; }
    # Read whole outputs: with pipefail, a reader that stops early fails the pipe.
    wid=$(xwininfo -root -tree | awk -v t="\"$title\":" '!found && index($0, t) { print $1; found = 1 }')
    if [ -n "$wid" ] && [[ "$(xwininfo -id "$wid")" == *"Map State: IsViewable"* ]]; then
      break
    fi
    wid=""
    sleep 0.5
  done
  [ -n "$wid" ] || { cat "$log" >&2; fail "no window titled \"$title\" within ${window_wait}s"; }
  step "window $wid \"$title\" is shown"

  [[ "$(xprop -id "$wid" _NET_WM_ICON)" == *"Icon ("* ]] || fail "the window carries no icon (_NET_WM_ICON unset)"
  step "the window carries its icon"

  sleep "$keep_alive"
  kill -0 "$app" 2>/dev/null || { cat "$log" >&2; fail "program died after showing its window"; }
  step "still running after ${keep_alive}s"
  exit 0
fi

# --- main check --------------------------------------------------------------
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || fail "need root or sudo to install packages"
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

tools=(desktop-file-utils appstream xvfb xauth x11-utils)
missing=()
for p in "${tools[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  step "installing tools: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

make package
debs=(build/package/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  fail "expected exactly one .deb in build/package/, found: ${debs[*]}"
fi
deb="${debs[0]}"
step "built $deb"

[[ "$(dpkg-deb -c "$deb")" == *" .$bin"* ]] || fail "$deb holds no .$bin (is the mernalt-lirvane target built?)"

depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries (dpkg-shlibdeps not run?): '$depends'"
step "Depends: $depends"

remove_package() {
  if dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null | grep -qx installed; then
    $sudo apt-get remove -y -qq "$pkg" >/dev/null
  fi
}
remove_package   # start from a system without it, so apt really installs this build
trap remove_package EXIT

$sudo apt-get install -y -qq "./$deb"
step "installed with apt-get"

[ -x "$bin" ] || fail "$bin missing or not executable"
[ -f "$icons/scalable/apps/mernalt-lirvane.svg" ] || fail "scalable icon missing"
for s in "${icon_sizes[@]}"; do
  [ -f "$icons/${s}x${s}/apps/mernalt-lirvane.png" ] || fail "${s}x${s} icon missing"
done
step "program and icons in place"

desktop-file-validate "$desktop" || fail "desktop-file-validate rejected $desktop"
step "desktop-file-validate accepts $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejected $metainfo"
step "appstreamcli accepts $metainfo"

# A Chinese font is only recommended; without one the labels are blank boxes,
# which would not stop the program, so this check does not depend on it.
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash "$0" --window

trap - EXIT
$sudo apt-get remove -y -qq "$pkg" >/dev/null
[ ! -e "$bin" ] || fail "$bin still present after removal"
step "removed $pkg; all checks passed"
