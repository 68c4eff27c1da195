#!/usr/bin/env bash
# The Debian package: built by CPack from this build, it must hold exactly the shipped
# files under /usr, name its library dependencies (found by dpkg-shlibdeps) and the packages
# of the Qt plugins the window loads at run time (which dpkg-shlibdeps cannot see), and its
# program must run: headless with one line when the window's platform plugin is missing, and
# with its pictures drawn on a virtual X display (Xvfb) where that is installed.
# Arguments: the build folder, the source folder, the plugin folder of the Qt it was built with.
set -euo pipefail
build=$1
qt_plugins=${3:-}
for tool in dpkg-deb dpkg-shlibdeps cpack; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1) ||
    fail "cpack: $(cat "$tmp/cpack.log")"
debs=("$tmp"/pkg/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single .deb: ${debs[*]}"
deb=${debs[0]}

dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./||' | sort >"$tmp/files"
expected=(
    usr/bin/varnelfilesync
    usr/lib/systemd/user/varnelfilesync-sync.service
    usr/lib/systemd/user/varnelfilesync-sync.timer
    usr/lib/systemd/user/varnelfilesync@.service
    usr/share/applications/varnelfilesync.desktop
    usr/share/icons/hicolor/scalable/apps/varnelfilesync.svg
    usr/share/man/man1/varnelfilesync.1.gz
)
for f in "${expected[@]}"; do
    grep -qx "$f" "$tmp/files" || fail "missing from the package: $f"
done
# Nothing outside /usr, and nothing a user's files could be mistaken for.
if grep -v '^usr/' "$tmp/files"; then fail "files outside /usr"; fi
if grep -i '\.ini$' "$tmp/files"; then fail "a settings file in the package"; fi

depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
    *libc6*libstdc++6* | *libstdc++6*libc6*) ;;
    *) fail "dependencies not found by dpkg-shlibdeps: '$depends'" ;;
esac
[ "$(dpkg-deb -f "$deb" Package)" = varnelfilesync ] || fail "package name"

# Package names of a Depends field, each group of alternatives by its first one (the one apt
# installs), without versions or architectures.
names_of() { tr ',' '\n' <<<"$1" | sed 's/|.*//; s/(.*)//; s/:.*//; s/[[:space:]]//g' | grep .; }
names_of "$depends" | sort -u >"$tmp/depends"
for p in libqt6svg6 qt6-qpa-plugins; do
    grep -qx "$p" "$tmp/depends" || fail "$p (a plugin package the window needs) not in Depends: '$depends'"
done

# Every plugin the window loads comes with the package: its owner is in Depends or pulled in
# by them, as this machine's installed packages depend on one another.
dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Depends}, ${Pre-Depends}\n' |
    awk -F'\t' '$1 ~ /^ii/ { print $2 "\t" $3 }' >"$tmp/installed"
cp "$tmp/depends" "$tmp/closure"
queue=$(cat "$tmp/depends")
while [ -n "$queue" ]; do
    next=$(awk -F'\t' 'NR == FNR { want[$1] = 1; next } ($1 in want) { print $2 }' \
               <(echo "$queue") "$tmp/installed" |
           while IFS= read -r field; do names_of "$field" || true; done | sort -u |
           comm -23 - "$tmp/closure")
    [ -z "$next" ] && break
    sort -u "$tmp/closure" <(echo "$next") -o "$tmp/closure"
    queue=$next
done
[ -n "$qt_plugins" ] || fail "no Qt plugin folder given"
for plugin in platforms/libqxcb.so imageformats/libqsvg.so iconengines/libqsvgicon.so; do
    file=$qt_plugins/$plugin
    [ -e "$file" ] || fail "the Qt this was built with has no $plugin ($file)"
    # dpkg knows the file by its /usr path where /lib is a link to /usr/lib.
    owner=$(dpkg -S "$file" 2>/dev/null || dpkg -S "/usr${file#/usr}" 2>/dev/null || true)
    owner=${owner%%:*}
    if [ -z "$owner" ]; then
        echo "SKIP: $file belongs to no Debian package (Qt not from Debian); dependencies unchecked"
        exit 77
    fi
    grep -qx "$owner" "$tmp/closure" ||
        fail "$plugin is in $owner, which the package's dependencies do not bring: '$depends'"
done

# The packaged program runs, from a scratch root and a clean environment; it keeps its files
# in a folder of the test's own.
dpkg-deb -x "$deb" "$tmp/root"
prog=$tmp/root/usr/bin/varnelfilesync
mkdir -p "$tmp/home" "$tmp/run" "$tmp/cfg"
chmod 700 "$tmp/run"
run() {
    env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" \
        XDG_CONFIG_HOME="$tmp/cfg" "$@"
}
run "$prog" --version | grep -q '^varnelfilesync [0-9]' ||
    fail "the packaged program does not answer --version"

# A platform plugin that is not there: headless with one line, where Qt would abort.
status=0
run DISPLAY=:0 QT_QPA_PLATFORM=nosuchplatform "$prog" SYNCANDEXIT --folder "$tmp/folder" \
    >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" -eq 0 ] || fail "without its platform plugin the program ended with $status: $(cat "$tmp/err")"
expected_line="varnelfilesync: the window's platform plugin (nosuchplatform) is not installed or does not load; running headless"
[ "$(head -n 1 "$tmp/err")" = "$expected_line" ] || fail "no fallback line: $(cat "$tmp/err")"
grep -q '^Abnormal=0' "$tmp/folder/VarnelFileSync.ini" || fail "the headless run did not end normally"

# The window on a virtual X display: its SVG pictures must be drawn. Xvfb keeps its screen
# in a file (XWD: a header, a colour map, then 32-bit pixels), where pixels of the pictures'
# own fill colours are counted: the green link indicator of the one pair with folders (and
# the run button), the red one of the pairs without, the blue help button. Nothing else in
# the window has those colours.
pictures="Xvfb not installed: window pictures not checked"
if command -v Xvfb >/dev/null; then
    mkdir -p "$tmp/fb" "$tmp/window"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -fbdir "$tmp/fb" -nolisten tcp 3>"$tmp/displayfd" \
        >"$tmp/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$tmp/displayfd" ] && break; sleep 0.1; done
    [ -s "$tmp/displayfd" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    mkdir -p "$tmp/local" "$tmp/remote"
    printf '[Settings]\nFirstRun=False\n[Paths]\nLPLog=%s\nRPLog=%s\n' "$tmp/local" "$tmp/remote" \
        >"$tmp/window/VarnelFileSync.ini"
    run DISPLAY=":$(cat "$tmp/displayfd")" "$prog" --folder "$tmp/window" >"$tmp/window.log" 2>&1 &
    pids+=($!)
    screen=$tmp/fb/Xvfb_screen0
    read -r header colours < <(od -An -v -tu4 --endian=big -N 80 "$screen" | tr -s ' \n' ' ' |
                               awk '{ print $1, $20 }')
    counts() {  # green red blue
        od -An -v -tx4 -w4 -j $((header + 12 * colours)) "$screen" |
            awk '/2e9e5b$/ { g++ } /d64541$/ { r++ } /2f80ed$/ { b++ } END { print g + 0, r + 0, b + 0 }'
    }
    drawn() { [ "$green" -ge 20 ] && [ "$red" -ge 20 ] && [ "$blue" -ge 10 ]; }
    green=0 red=0 blue=0
    for _ in $(seq 40); do
        read -r green red blue < <(counts)
        drawn && break
        sleep 0.5
    done
    drawn || fail "pictures not drawn on Xvfb (pixels: green $green, red $red, blue $blue): $(cat "$tmp/window.log")"
    pictures="pictures drawn on Xvfb (pixels: green $green, red $red, blue $blue)"
fi
echo "PASS: $(wc -l <"$tmp/files") files; Depends: $depends; $pictures"
