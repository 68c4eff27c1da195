#!/usr/bin/env bash
# An installed copy: staged with DESTDIR under a /usr prefix, it must carry every shipped
# file, answer --version, and keep its settings and state in the user's data directory,
# never beside itself. The desktop entry and the units are checked by the system's own
# validators where those are installed.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$tmp/stage cmake --install "$build" --prefix /usr >/dev/null
root=$tmp/stage/usr
prog=$root/bin/varnelfilesync
for f in bin/varnelfilesync \
         share/applications/varnelfilesync.desktop \
         share/icons/hicolor/scalable/apps/varnelfilesync.svg \
         share/man/man1/varnelfilesync.1.gz \
         share/varnelfilesync/help/varnelfilesync.html \
         share/varnelfilesync/help/contents.html \
         lib/systemd/user/varnelfilesync@.service \
         lib/systemd/user/varnelfilesync-sync.service \
         lib/systemd/user/varnelfilesync-sync.timer; do
    [ -e "$root/$f" ] || fail "not installed: $f"
done
# Every picture a help page shows is installed with it.
for page in "$root"/share/varnelfilesync/help/*.html; do
    for picture in $(grep -o 'src="[^"]*"' "$page" | sed 's/^src="//; s/"$//'); do
        [ -e "$root/share/varnelfilesync/help/$picture" ] ||
            fail "$(basename "$page") shows $picture, which is not installed"
    done
done
if command -v rsvg-convert >/dev/null; then
    [ -s "$root/share/icons/hicolor/48x48/apps/varnelfilesync.png" ] || fail "no 48x48 icon"
fi
gzip -dc "$root/share/man/man1/varnelfilesync.1.gz" | grep -q '^\.SH EXIT STATUS' ||
    fail "man page without exit statuses"

mkdir -p "$tmp/home" "$tmp/run" "$tmp/cfg"
# A clean environment: only what a login session would give the program.
run() {
    env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" \
        XDG_CONFIG_HOME="$tmp/cfg" "$@"
}

[ "$(run "$prog" --version)" = "varnelfilesync $(cat "$build/dist/version")" ] ||
    fail "--version: $(run "$prog" --version)"

run XDG_DATA_HOME="$tmp/data" "$prog" HEADLESS SYNCANDEXIT >"$tmp/out" 2>&1 ||
    fail "run with XDG_DATA_HOME: $(cat "$tmp/out")"
grep -q '^Abnormal=0' "$tmp/data/VarnelFileSync/VarnelFileSync.ini" ||
    fail "no settings saved in \$XDG_DATA_HOME/VarnelFileSync"
[ -d "$tmp/data/VarnelFileSync/VarnelFileSyncSettings" ] || fail "no state folder in the data directory"

# Without XDG_DATA_HOME the data directory is ~/.local/share.
run "$prog" HEADLESS SYNCANDEXIT SESSION=2 >"$tmp/out" 2>&1 || fail "run with HOME: $(cat "$tmp/out")"
[ -f "$tmp/home/.local/share/VarnelFileSync/VarnelFileSync2.ini" ] ||
    fail "no settings in ~/.local/share/VarnelFileSync"

# --folder names another folder.
run "$prog" HEADLESS SYNCANDEXIT --folder "$tmp/elsewhere" >"$tmp/out" 2>&1 ||
    fail "run with --folder: $(cat "$tmp/out")"
[ -f "$tmp/elsewhere/VarnelFileSync.ini" ] || fail "--folder not used"

# Nothing was written beside the installed program.
[ "$(ls -A "$root/bin")" = "varnelfilesync" ] || fail "files beside the program: $(ls -A "$root/bin")"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/share/applications/varnelfilesync.desktop" ||
        fail "desktop-file-validate"
else
    echo "desktop-file-validate not installed: desktop entry not validated"
fi
if command -v systemd-analyze >/dev/null; then
    units=$tmp/units
    mkdir -p "$units"
    cp "$root"/lib/systemd/user/* "$units/"
    # The verifier looks for the program in the system's folders only, so the copies it
    # checks name the staged program; and it checks an instance of the template.
    sed -i "s|^ExecStart=varnelfilesync |ExecStart=$prog |" "$units"/*.service
    cp "$units/varnelfilesync@.service" "$units/varnelfilesync@1.service"
    SYSTEMD_LOG_LEVEL=warning systemd-analyze verify \
        --man=no "$units/varnelfilesync@1.service" "$units/varnelfilesync-sync.service" \
        "$units/varnelfilesync-sync.timer" >"$tmp/verify" 2>&1 || fail "systemd-analyze verify: $(cat "$tmp/verify")"
    if [ -s "$tmp/verify" ]; then cat "$tmp/verify"; fail "systemd-analyze verify reported problems"; fi
else
    echo "systemd-analyze not installed: units not verified"
fi
echo "PASS"
