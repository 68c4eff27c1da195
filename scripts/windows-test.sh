#!/usr/bin/env bash
# The Windows build, tested under Wine: installs what is missing (mingw-w64, Wine),
# cross-builds the core, the headless program (varnelfilesync.exe) and the core's unit tests
# into build-win/, runs the unit tests under Wine, then one headless sync-and-exit of a small
# pair (copy, replace, delete, backup) under Wine, and checks both folders, the backups and
# the task log. Ends with the unit tests' summary.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-win"
started=$SECONDS

"$root/scripts/install-missing.sh" cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVFS_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target varnelfilesync vfs_tests

# Every Wine call has a time limit, so a hang fails the run instead of holding CI up.
# Wine without a display: console programs need none. The prefix lives in the build folder
# and is made once.
# winemenubuilder stays off (no desktop entries or file associations in the user's home),
# and a crashing program ends with its status instead of waiting on a crash dialog.
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 wineboot -i >/dev/null 2>&1
    timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
        /d 0 /f >/dev/null 2>&1
    timeout 60 wineserver -w
fi
# One Wine server for the whole script: left to itself it quits a few seconds after its
# last program, and a program started just then loses its connection ("recvmsg: Connection
# reset by peer") and never runs.
timeout 10 wineserver -p 2>/dev/null || true  # one may be running already
trap 'timeout 30 wineserver -k 2>/dev/null || true' EXIT
wine_started=$SECONDS

# --- End to end: a small pair synced twice, the second run with one of each task. -------
e2e="$build/e2e"
rm -rf "$e2e"
mkdir -p "$e2e/prog" "$e2e/L" "$e2e/R" "$e2e/bak"
cp "$build/varnelfilesync.exe" "$e2e/prog/"
win() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
L="$(win "$e2e/L")"
R="$(win "$e2e/R")"
B="$(win "$e2e/bak")"
printf '[Settings]\r\nFirstRun=False\r\nLogToFile=1\r\nSleepTimeCopy=0\r\nEnableFileBackup=True\r\nNumFileBackups=1\r\nFileBackupPath=%s\r\n[Paths]\r\nLPLog=%s\r\nRPLog=%s\r\n' \
    "$B" "$L" "$R" >"$e2e/prog/VarnelFileSync.ini"
for name in keep edit gone; do
    printf '%s\n' "$name" >"$e2e/L/$name.kvo"
    cp "$e2e/L/$name.kvo" "$e2e/R/$name.kvo"
done
# One file under two spellings: Windows looks names up without regard to case, so these are
# one file that is already in step, not two files to copy across.
printf 'same\n' >"$e2e/L/Mixed.kvo"
printf 'same\n' >"$e2e/R/MIXED.KVO"
# Times with a fraction of a second, as almost every file written on NTFS has.
touch -d '2020-09-13 12:00:00.25 UTC' "$e2e"/L/*.kvo "$e2e"/R/*.kvo "$e2e/R/MIXED.KVO"

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
run_sync() {
    local status=0
    (cd "$e2e" && timeout 120 wine prog/varnelfilesync.exe HEADLESS SYNCANDEXIT) >"$e2e/out$1.txt" 2>"$e2e/err$1.txt" || status=$?
    [ "$status" -eq 0 ] || fail "sync run $1 ended with status $status: $(cat "$e2e/err$1.txt")"
}

run_sync 1
[ "$(LC_ALL=C ls "$e2e/L" | tr '\n' ' ')" = "Mixed.kvo edit.kvo gone.kvo keep.kvo " ] &&
    [ "$(LC_ALL=C ls "$e2e/R" | tr '\n' ' ')" = "MIXED.KVO edit.kvo gone.kvo keep.kvo " ] ||
    fail "a name that differs only in case was copied: $(ls "$e2e/L" "$e2e/R")"
grep -q 'Files To Sync' "$e2e/out1.txt" && ! grep -q 'Starting File Sync' "$e2e/out1.txt" ||
    fail "the first run found something to sync: $(cat "$e2e/out1.txt")"
# Between the runs: a new remote file, a newer local edit, a local deletion.
printf 'new\n' >"$e2e/R/new.kvo"
touch -d '2020-09-14 08:00:00.5 UTC' "$e2e/R/new.kvo"
printf 'edited\n' >"$e2e/L/edit.kvo"
touch -d '2021-01-02 03:04:05.75 UTC' "$e2e/L/edit.kvo"
rm "$e2e/L/gone.kvo"
run_sync 2

mv "$e2e/R/MIXED.KVO" "$e2e/R/Mixed.kvo"
diff -r "$e2e/L" "$e2e/R" >/dev/null || fail "the two folders differ after the sync"
[ "$(LC_ALL=C ls "$e2e/L" | tr '\n' ' ')" = "Mixed.kvo edit.kvo keep.kvo new.kvo " ] ||
    fail "local folder: $(ls "$e2e/L")"
[ "$(cat "$e2e/R/edit.kvo")" = "edited" ] || fail "the edit did not reach the remote folder"
[ "$(date -r "$e2e/R/edit.kvo" +%s.%N)" = "$(date -d '2021-01-02 03:04:05.75 UTC' +%s.%N)" ] ||
    fail "the replaced file lost its modified time"
[ "$(date -r "$e2e/L/new.kvo" +%s.%N)" = "$(date -d '2020-09-14 08:00:00.5 UTC' +%s.%N)" ] ||
    fail "the copied file lost its modified time"
[ "$(cat "$e2e/bak/Program_Logs/001/edit.kvo" 2>/dev/null)" = "edit" ] ||
    fail "no backup of the replaced file"
[ "$(cat "$e2e/bak/Program_Logs/001/gone.kvo" 2>/dev/null)" = "gone" ] ||
    fail "no backup of the deleted file"
[ "$(tr -d '\r' <"$e2e/prog/VarnelFileSyncSettings/Program_Logs.dat")" = \
    "$(printf 'edit.kvo\nkeep.kvo\nMixed.kvo\nnew.kvo')" ] || fail "state file after the sync"
leftovers="$(find "$e2e/L" "$e2e/R" "$e2e/prog/VarnelFileSyncSettings" -name '.*' -type f)"
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"

# The second run's part of today's task log, times replaced by T.
log="$(ls "$e2e/prog/VarnelFileSync Logs/"Task_Log_*.txt)"
expected="T - Scan    Started Scanning Program Logs
T -         Remote copy of \"edit.kvo\" needs to be replaced since local copy is newer
T -         Remote copy of \"gone.kvo\" needs to be deleted because it doesn't exist in local folder any longer
T -         Remote copy of \"new.kvo\" needs to be copied to local folder because it doesn't exist in local folder and has not been synced previously
T - Scan    Finished Scanning Program Logs
T - Scan    Skipping Trigger Set Files: Path Unreachable or Invalid
T - Scan    Skipping Hot Key Files: Path Unreachable or Invalid
T - Scan    Skipping Sched. Events Set Files: Path Unreachable or Invalid
T - Sync    Starting File Sync: 3 Files To Sync
T - Backup  \"$R\\edit.kvo\", \"$B\\Program_Logs\\001\\edit.kvo\"
T - Replace \"Program Logs\", \"$L\\edit.kvo\", \"$R\\edit.kvo\"
T - Backup  \"$R\\gone.kvo\", \"$B\\Program_Logs\\001\\gone.kvo\"
T - Delete  \"Program Logs\", \"$R\\gone.kvo\"
T - Copy    \"Program Logs\", \"$R\\new.kvo\", \"$L\\new.kvo\"
T - Sync    Finished File Sync"
actual="$(tr -d '\r' <"$log" | sed -E 's/^[0-9]{2}:[0-9]{2}:[0-9]{2} /T /' |
    awk '/Started Scanning Program Logs/ { part = "" } { part = part $0 "\n" } END { printf "%s", part }')"
if [ "$actual" != "$expected" ]; then
    fail "task log of the second run"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
fi
# Standard output carries the same lines as they happen.
grep -q ' - Sync    Finished File Sync' "$e2e/out2.txt" || fail "standard output of the second run"

# One instance per session: a second start of the running session ends with status 3 and
# touches nothing; Ctrl+C (Wine passes SIGINT on as a console Ctrl+C) closes the first
# normally.
(cd "$e2e" && exec timeout 120 wine prog/varnelfilesync.exe HEADLESS) >"$e2e/out3.txt" 2>"$e2e/err3.txt" &
first=$!
for _ in $(seq 1 100); do
    grep -q 'Abnormal=1' "$e2e/prog/VarnelFileSync.ini" && break
    sleep 0.2
done
status=0
(cd "$e2e" && timeout 60 wine prog/varnelfilesync.exe HEADLESS SYNCANDEXIT) >"$e2e/out4.txt" 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "a second instance of the running session ended with status $status"
kill -INT "$first" 2>/dev/null || true
for _ in $(seq 1 150); do
    kill -0 "$first" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$first" 2>/dev/null && kill -KILL "$first"
status=0
wait "$first" || status=$?
[ "$status" -eq 0 ] || fail "Ctrl+C: the program ended with status $status"
grep -q 'Abnormal=0' "$e2e/prog/VarnelFileSync.ini" || fail "Ctrl+C: the program did not close normally"

# --- Letters beyond ASCII: the program's folder, --folder, the pairs' folders and the file
# names, and a settings file saved in the ANSI code page (Windows-1252 here). ------------
intl="$e2e/intl"
prog_u="$intl/Sendung Ü/Прог"
mkdir -p "$prog_u" "$intl/L é" "$intl/R Ü" "$intl/Настройки" "$intl/Папка"
cp "$build/varnelfilesync.exe" "$prog_u/"
printf 'grüße\n' >"$intl/L é/Grüße.kvo"
printf 'привет\n' >"$intl/L é/Привет.kvo"
settings() { printf '[Settings]\r\nFirstRun=False\r\nLogToFile=1\r\nSleepTimeCopy=0\r\n[Paths]\r\nLPLog=%s\r\nRPLog=%s\r\n' "$(win "$1")" "$(win "$2")"; }
settings "$intl/L é" "$intl/R Ü" | iconv -f UTF-8 -t WINDOWS-1252 >"$prog_u/VarnelFileSync.ini"
{ printf '\xEF\xBB\xBF'; settings "$intl/L é" "$intl/Папка"; } >"$intl/Настройки/VarnelFileSync.ini"
status=0
(cd "$intl" && timeout 120 wine "$prog_u/varnelfilesync.exe" HEADLESS SYNCANDEXIT) \
    >"$intl/out1.txt" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "program folder 'Sendung Ü\\Прог': status $status: $(cat "$intl/out1.txt")"
[ "$(cat "$intl/R Ü/Grüße.kvo" "$intl/R Ü/Привет.kvo" 2>/dev/null)" = "$(printf 'grüße\nпривет')" ] ||
    fail "files named Grüße and Привет did not reach 'R Ü': $(ls "$intl/R Ü")"
grep -q ' - Copy    "Program Logs", "Z:.*\\L é\\Grüße.kvo"' "$intl/out1.txt" ||
    fail "the task lines do not show the names as they are: $(cat "$intl/out1.txt")"
# Written back as it was read: the Ü of the path as the one byte 0xDC, no UTF-8 in the file.
LC_ALL=C grep -q $'RPLog=.*R \xDC\r' "$prog_u/VarnelFileSync.ini" &&
    LC_ALL=C grep -q 'Abnormal=0' "$prog_u/VarnelFileSync.ini" &&
    ! LC_ALL=C grep -q $'\xC3' "$prog_u/VarnelFileSync.ini" ||
    fail "the ANSI settings file was not kept in its encoding"
[ -f "$prog_u/VarnelFileSyncSettings/Program_Logs.dat" ] ||
    fail "no state file beside the program in 'Sendung Ü\\Прог'"
status=0
(cd "$intl" && timeout 120 wine "$prog_u/varnelfilesync.exe" HEADLESS SYNCANDEXIT \
    --folder "$(win "$intl/Настройки")") >"$intl/out2.txt" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "--folder Настройки: status $status: $(cat "$intl/out2.txt")"
[ -f "$intl/Папка/Привет.kvo" ] && [ -f "$intl/Настройки/VarnelFileSyncSettings/Program_Logs.dat" ] ||
    fail "--folder Настройки did not sync into Папка or keep its state there"
[ "$(head -c 3 "$intl/Настройки/VarnelFileSync.ini" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "the UTF-8 settings file lost its byte-order mark"
# Nothing made under a misread name.
made="$(cd "$intl" && find . -mindepth 1 -maxdepth 1 -type d | LC_ALL=C sort | tr '\n' ' ')"
[ "$made" = "./L é ./R Ü ./Sendung Ü ./Настройки ./Папка " ] || fail "folders made: $made"

# --- A folder nested past 260 characters, and a read-only file that cannot be replaced. ---
long="$e2e/long"
deep="$long/L"
while [ "${#deep}" -lt 320 ]; do deep="$deep/Sendung 2026-12-10 Morgenmagazin"; done
mkdir -p "$deep" "$long/R" "$long/prog"
cp "$build/varnelfilesync.exe" "$long/prog/"
settings "$deep" "$long/R" >"$long/prog/VarnelFileSync.ini"
printf 'deep\n' >"$deep/deep.kvo"
printf 'remote\n' >"$long/R/remote.kvo"
printf 'new\n' >"$deep/fixed.kvo"
printf 'old\n' >"$long/R/fixed.kvo"
touch -d '2020-01-01 00:00:00 UTC' "$long/R/fixed.kvo"
chmod a-w "$long/R/fixed.kvo"
status=0
(cd "$long" && timeout 120 wine prog/varnelfilesync.exe HEADLESS SYNCANDEXIT) \
    >"$long/out.txt" 2>&1 || status=$?
[ "$(cat "$long/R/deep.kvo" 2>/dev/null)" = deep ] && [ "$(cat "$deep/remote.kvo" 2>/dev/null)" = remote ] ||
    fail "a pair ${#deep} characters deep did not sync: $(cat "$long/out.txt")"
[ "$(cat "$long/R/fixed.kvo")" = old ] || fail "a read-only file was replaced"
tr -d '\r' <"$long/out.txt" | grep -q 'Copy/Replace/Delete Error 61 Encountered .*fixed.kvo" \[[^]]\+\]$' ||
    fail "the failure line does not say why: $(grep -a fixed "$long/out.txt")"
[ "$status" -eq 1 ] || fail "a failed task ended with status $status"
chmod u+w "$long/R/fixed.kvo"
# Windows lifts its 260-character limit only for a program whose manifest asks for it.
LC_ALL=C grep -q '<ws2:longPathAware>true</ws2:longPathAware>' "$build/varnelfilesync.exe" ||
    fail "the executable's manifest does not ask for long paths"

# --- The help describes Windows. ----------------------------------------------------------
help="$(timeout 60 wine "$build/varnelfilesync.exe" --help 2>&1)"
grep -q 'VB and VBA Program Settings' <<<"$help" && ! grep -q '/usr\|XDG' <<<"$help" ||
    fail "--help does not describe Windows: $help"
e2e_seconds=$((SECONDS - wine_started))

# --- Unit tests. -------------------------------------------------------------------------
# Left out under Windows: a folder named with a double quote, which no Windows file
# system can hold.
unit_status=0
(cd "$build" && timeout 300 wine ./vfs_tests.exe --gtest_brief=1 \
    --gtest_filter='-PathGridTest.FoldersTheTaskLineCannotCarryAreInvalid') \
    >"$build/unit-tests.txt" 2>&1 || unit_status=$?

if [ "$failures" -eq 0 ]; then
    echo "Windows end-to-end sync under Wine: passed (${e2e_seconds} s)"
else
    echo "Windows end-to-end sync under Wine: $failures check(s) FAILED"
fi
echo "Wine part took $((SECONDS - wine_started)) s; whole script $((SECONDS - started)) s"
grep -E '^\[ *(FAILED|PASSED|SKIPPED|==========) *\]' "$build/unit-tests.txt" || cat "$build/unit-tests.txt"
[ "$failures" -eq 0 ] && [ "$unit_status" -eq 0 ]
