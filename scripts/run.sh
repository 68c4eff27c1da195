#!/usr/bin/env bash
# The run command: installs what is missing, builds, then starts the program with the
# arguments given. Without arguments it runs a demo: a program folder build/demo/ with its
# own settings file pairing two sample folders, and a change on each side between runs so
# that every run shows copies, a replace and a delete.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" >/dev/null
if [ $# -gt 0 ]; then
    exec "$root/build/varnelfilesync" "$@"
fi

demo="$root/build/demo"
local_side="$demo/samples/Local"
remote_side="$demo/samples/Remote"

create_samples() {
    mkdir -p "$local_side/Logs" "$local_side/Triggers" "$local_side/Audio" \
        "$remote_side/Logs" "$remote_side/Triggers" "$remote_side/Audio"
    for day in monday tuesday wednesday; do
        printf '06:00:00 Morning show (%s)\r\n' "$day" >"$local_side/Logs/$day.kvo"
    done
    printf '18:00:00 Evening news\r\n' >"$remote_side/Logs/thursday.kvo"
    printf 'F1=jingle.wav\r\n' >"$local_side/Triggers/station.trg"
    printf 'F2=weather.wav\r\n' >"$remote_side/Triggers/weather.trg"
    # Half a second of silence as a small, valid WAV file.
    printf 'RIFF\x24\x56\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00data\x00\x56\x00\x00' \
        >"$remote_side/Audio/jingle.wav"
    head -c 22016 /dev/zero >>"$remote_side/Audio/jingle.wav"
    cat >"$demo/VarnelFileSync.ini" <<INI
[Settings]
FirstRun=False
AutoStart=True
LogToFile=1
SleepTimeCopy=0
[Paths]
LPLog=$local_side/Logs
RPLog=$remote_side/Logs
LTrigger=$local_side/Triggers
RTrigger=$remote_side/Triggers
LAudioPath0=$local_side/Audio
RAudioPath0=$remote_side/Audio
PathEnabled4=0
PathEnabled6=0
INI
    echo "Demo folders created in $demo/samples; the first run copies both ways."
}

# After a sync both sides match; one deletion and one edit make the next run do work.
change_samples() {
    if [ -f "$remote_side/Logs/monday.kvo" ]; then
        rm -f "$remote_side/Logs/monday.kvo"
        echo "Deleted Remote/Logs/monday.kvo: this run deletes it locally too."
    else
        printf '06:00:00 Morning show (monday, again)\r\n' >"$local_side/Logs/monday.kvo"
        echo "Created Local/Logs/monday.kvo again: this run copies it to the remote side."
    fi
    printf 'F3=edited %s\r\n' "$(date +%T)" >>"$local_side/Triggers/station.trg"
    echo "Edited Local/Triggers/station.trg: this run replaces the remote copy."
}

mkdir -p "$demo"
cp "$root/build/varnelfilesync" "$demo/varnelfilesync"
if [ -f "$demo/VarnelFileSync.ini" ] && [ -d "$local_side" ]; then
    change_samples
else
    create_samples
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec "$demo/varnelfilesync" HEADLESS SYNCANDEXIT
fi
exec "$demo/varnelfilesync"
