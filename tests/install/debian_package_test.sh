#!/usr/bin/env bash
# The Debian package: built by CPack from this build, it must hold exactly the shipped
# files under /usr and name its library dependencies (found by dpkg-shlibdeps).
set -euo pipefail
build=$1
for tool in dpkg-deb dpkg-shlibdeps cpack; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
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

# The packaged program runs.
dpkg-deb -x "$deb" "$tmp/root"
"$tmp/root/usr/bin/varnelfilesync" --version | grep -q '^varnelfilesync [0-9]' ||
    fail "the packaged program does not answer --version"
echo "PASS: $(wc -l <"$tmp/files") files; Depends: $depends"
