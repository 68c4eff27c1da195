#!/usr/bin/env bash
# Shows the program on a virtual X display with a small notification area (trayer) and
# writes a picture of that desktop, and an enlarged picture of the notification area, to
# build/screenshots/. Needs xvfb, trayer and imagemagick (apt-get install xvfb trayer
# imagemagick); the test suite does not.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/screenshots"
for tool in xvfb-run trayer import convert; do
  command -v "$tool" >/dev/null || { echo "tray_screenshot: $tool is missing" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/run" "$out"
chmod 700 "$work/run"
cp "$root/build/varnelfilesync" "$work/prog/"
cp -r "$root/build/help" "$work/prog/"
printf '[Settings]\nFirstRun=False\n' >"$work/prog/VarnelFileSync.ini"

cat >"$work/desktop.sh" <<SCRIPT
#!/bin/sh
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/cfg"
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 \
  --transparent true --alpha 0 --tint 0x202020 &
sleep 1
"$work/prog/varnelfilesync" &
sleep 4
import -window root "$out/tray_desktop.png"
kill %2 %1 2>/dev/null || true
SCRIPT
chmod +x "$work/desktop.sh"
xvfb-run -a -s "-screen 0 900x600x24" "$work/desktop.sh" >/dev/null 2>&1 || true
[ -s "$out/tray_desktop.png" ] || { echo "tray_screenshot: no picture taken" >&2; exit 1; }
convert "$out/tray_desktop.png" -crop 120x24+780+576 +repage -scale 400% "$out/tray_area.png"
echo "$out/tray_desktop.png $out/tray_area.png"
