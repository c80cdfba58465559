#!/usr/bin/env bash
# desktop_session_test.sh PROGRAM HOST XSECURELOCK_SAVER THEME_ENTRY: the Linux program, installed
# as the package installs it, run by the real screen-saver hosts; and a screen saver must never
# keep the screen on. On a desktop session of its own (a system bus with a stand-in for logind, a
# session bus), the xscreensaver daemon with its D-Bus helper runs the program as its only saver,
# while `PROGRAM -win` and a run in a window of HOST (nimbrost-test-host) go on beside it, none of
# them touched:
#   - the screen stays blanked for a minute, and the daemon's log has no "inhibited by";
#   - the X server's idle time grows all along (DPMS and the server's screen saver count from it);
#   - no process calls a screen-saver, session-manager or power interface on the session bus.
# Then an Inhibit sent by hand must un-blank the screen: the helper was listening all along. Last,
# xsecurelock (through its saver XSECURELOCK_SAVER) and MATE's screen saver (through the theme
# entry THEME_ENTRY) run the program.
source "$(dirname "$0")/harness.sh"
arguments "PROGRAM HOST XSECURELOCK_SAVER THEME_ENTRY" [ $# = 4 ]
program=$1 host_tool=$2 xsecurelock_saver=$3 theme_entry=$4
launcher=(env SDL_AUDIODRIVER=dummy "$program")
support=$(cd "$(dirname "$0")/../support" && pwd)
chmod 755 "$work"
daemons=()
trap 'kill "${daemons[@]}" 2>/dev/null; cleanup' EXIT

# The program installed under $prefix as the package installs it.
prefix=$work/prefix
install -D "$program" "$prefix/bin/nimbrost"
install -D -t "$prefix/libexec/nimbrost" "$(dirname "$program")/libnimbrost_program.so"
install -D "$xsecurelock_saver" "$prefix/libexec/xsecurelock/saver_nimbrost"

daemon() { "${as_user[@]}" xscreensaver-command "$@" 2>/dev/null; }

top_level() { xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'; }
# The installed program running as a screen saver, in $saver_pid (other tests may run their own).
installed_saver() {
    local found
    for found in $(pgrep -f "nimbrost /s$"); do
        [ "$(readlink "/proc/$found/exe")" = "$prefix/bin/nimbrost" ] && saver_pid=$found && return
    done
    return 1
}
# Once START... has started the host CLASS: it runs the installed program (then in $saver_pid),
# that draws on the whole screen, and every new top-level window shown is the host's.
hosted() { # hosted CLASS START...
    local before others window
    before=$(top_level)
    "${@:2}"
    expect "$1 starts the program" within 10 installed_saver || return
    expect "its window shows squares that move" within 20 moving 0 0 1280 1024
    for window in $(top_level); do
        grep -qx -- "$window" <<<"$before" || ! xwininfo -id "$window" | grep -q IsViewable ||
            xprop -id "$window" WM_CLASS | grep -q "\"$1\"" || others+=" $window"
    done
    expect "every new top-level window shown is $1's (${others:-})" [ -z "${others:-}" ]
}

# A private bus of TYPE (session or system) on a socket in $work that every user may use; its
# address is exported in VARIABLE.
bus() { # bus TYPE VARIABLE
    dbus-daemon --config-file="$support/bus.conf" --address="unix:path=$work/$1_bus" --fork \
        --print-pid >"$work/$1.pid" || return
    daemons+=("$(cat "$work/$1.pid")")
    export "$2=unix:path=$work/$1_bus"
}
say "a desktop session: system bus with logind, session bus watched"
expect "the system bus starts" bus system DBUS_SYSTEM_BUS_ADDRESS || report
/usr/bin/python3 "$support/logind_stand_in.py" >"$work/logind.out" 2>&1 &
daemons+=($!)
expect "the stand-in for logind owns its name" within 10 grep -qs ready "$work/logind.out" || report
expect "the session bus starts" bus session DBUS_SESSION_BUS_ADDRESS || report
dbus-monitor --session "type='method_call'" >"$work/calls" 2>&1 &
monitor=$!
daemons+=($!)
# The xscreensaver daemon with the installed program as its only saver, found by its name as
# README.md's programs: line has it; as a user other than root, since as root it starts no saver.
# Its log in $home/log; `daemon ARGS` runs xscreensaver-command.
home=$work/home as_user=()
mkdir -p "$home"
printf '%s\n' 'mode: one' 'selected: 0' 'timeout: 1:00:00' 'lock: False' 'fade: False' \
    'unfade: False' 'splash: False' 'programs: "Nimbrost" nimbrost /s \n' >"$home/.xscreensaver"
if [ "$(id -u)" = 0 ]; then
    chown -R nobody:nogroup "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
as_user+=(env HOME="$home" PATH="$prefix/bin:$PATH" SDL_AUDIODRIVER=dummy)
"${as_user[@]}" xscreensaver -no-splash -verbose -log "$home/log" >/dev/null 2>&1 &
daemons+=($!)
expect "the xscreensaver daemon answers" within 20 eval 'daemon -version >/dev/null' || report

say "the program as xscreensaver's saver, in a window and in a host's window, a minute untouched"
hosted xscreensaver eval 'daemon -activate >/dev/null' || report
start -win
windowed=$pid
host --geometry 320x240+0+0 && daemons+=("$host_pid") && XSCREENSAVER_WINDOW=$host_id start /s
hosted=$pid
# The idle time in seconds every 5 s for a minute, with the daemon's word on the screen.
idle=() states=()
for _ in $(seq 12); do
    sleep 5
    idle+=("$(($(xprintidle) / 1000))")
    states+=("$(daemon -time | grep -o 'non-blanked\|blanked' | head -n1)")
done
expect "both runs go on" eval '! ended "$windowed" && ! ended "$hosted"'
blanked() { [ "$(printf '%s\n' "${states[@]}" | sort -u)" = blanked ]; }
expect "the screen stays blanked (${states[*]})" blanked
# Strictly growing, to 55 s at least.
growing() { printf '%s\n' "${idle[@]}" | sort -c -n -u && [ "${idle[-1]}" -ge 55 ]; }
expect "the X server's idle time keeps growing (${idle[*]} s)" growing
expect "the daemon's log has no \"inhibited by\"" not grep -q "inhibited by" "$home/log"
kill -TERM "$windowed" "$hosted"
kill "$monitor"
forbidden='org\.(freedesktop\.ScreenSaver|gnome\.ScreenSaver|gnome\.SessionManager|kde\.'
forbidden+='|freedesktop\.PowerManagement)'
calls=$(grep -E "^method call .*$forbidden" "$work/calls" |
    sed -E 's/.*destination=([^ ]*) .*member=(.*)/\1 \2/' | sort -u | paste -sd,)
expect "no call to a screen-saver, session or power interface${calls:+: $calls}" [ -z "$calls" ]

# The helper forgets an inhibitor once it leaves the bus: this one stays until the daemon exits.
say "the helper listens: an Inhibit by hand un-blanks the screen"
/usr/bin/python3 -c 'import dbus, time
dbus.SessionBus().call_blocking("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
    "org.freedesktop.ScreenSaver", "Inhibit", "ss", ("test", "test"))
time.sleep(60)' &
inhibitor=$!
expect "the screen un-blanks" within 30 eval 'daemon -time | grep -q non-blanked'
expect "which ends the program within a second" wait_exit 1 "$saver_pid" || tail -n 5 "$home/log"
# What the daemon says about the program's process, besides starting and ending it.
crashes=$(grep -E "(nimbrost|pid $saver_pid)\b" "$home/log" | grep -Ev 'forked|killing')
expect "the daemon's log shows no crash ($crashes)" [ -z "$crashes" ]
daemon -exit >/dev/null
kill "$inhibitor"

# xsecurelock starts its saver with "-root" and a decimal window id; the package's saver for it
# starts the program with "/s".
say "xsecurelock runs the program through the package's saver for it"
XSECURELOCK_SAVER=$prefix/libexec/xsecurelock/saver_nimbrost SDL_AUDIODRIVER=dummy \
    hosted xsecurelock eval 'xsecurelock >"$work/xsecurelock.log" 2>&1 & locker=$!' &&
    kill -TERM "$locker" &&
    expect "ending xsecurelock ends the program within a second" wait_exit 1 "$saver_pid"
expect "the program said nothing: $(grep -i nimbrost "$work/xsecurelock.log")" \
    not grep -qi nimbrost "$work/xsecurelock.log"

# MATE's screen saver runs the command of the theme entry chosen in its settings, and only from its
# own folders or xscreensaver's folder of savers. It runs on the session's bus, its settings from a
# key file written before it starts; the theme entry is found through XDG_DATA_DIRS, and a private
# mount namespace puts the installed program in /usr/libexec/xscreensaver where the entry names
# it, as the package does.
say "MATE's screen saver runs the program through its theme entry"
mate=$work/mate ns=(unshare --mount --propagation private)
[ "$(id -u)" = 0 ] || ns=(unshare --user --map-root-user --mount --propagation private)
{ [ -d /usr/libexec/xscreensaver ] && "${ns[@]}" true; } 2>/dev/null ||
    { say "  (no private mount namespace can be made here: left out)" && report; }
mkdir -p "$mate/data/applications/screensavers" "$mate/glib-2.0/settings" "$mate/savers"
cp "$theme_entry" "$mate/data/applications/screensavers/nimbrost.desktop"
ln -s "$prefix/bin/nimbrost" "$mate/savers/nimbrost"
printf '%s\n' '[org/mate/screensaver]' "mode='single'" "themes=['screensavers-nimbrost']" \
    >"$mate/glib-2.0/settings/keyfile"
session=(env HOME="$mate" XDG_CONFIG_HOME="$mate" XDG_DATA_DIRS="$mate/data:/usr/share"
    GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=MATE NO_AT_BRIDGE=1 SDL_AUDIODRIVER=dummy)
"${session[@]}" "${ns[@]}" sh -c 'mount --bind "$1" /usr/libexec/xscreensaver &&
    exec mate-screensaver --no-daemon' sh "$mate/savers" >"$mate/log" 2>&1 &
mate_pid=$!
mate_command() { "${session[@]}" mate-screensaver-command "$@" >/dev/null 2>&1; }
if expect "mate-screensaver answers" within 10 mate_command --query &&
    hosted mate-screensaver mate_command --activate; then
    mate_command --deactivate
    expect "deactivating ends the program within a second" wait_exit 1 "$saver_pid"
fi
kill "$mate_pid"
expect "mate-screensaver ends" within 5 ended "$mate_pid" || cat "$mate/log"
report
