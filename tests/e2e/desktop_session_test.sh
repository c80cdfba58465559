#!/usr/bin/env bash
# desktop_session_test.sh PROGRAM HOST: a screen saver must never keep the screen on. On a desktop
# session of its own (a system bus with a stand-in for logind, a session bus), the xscreensaver
# daemon with its D-Bus helper runs the installed program as its only saver, while `PROGRAM -win`
# and a run in a window of HOST (nimbrost-test-host) go on beside it, none of them touched:
#   - the screen stays blanked for a minute, and the daemon's log has no "inhibited by";
#   - the X server's idle time grows all along (DPMS and the server's screen saver count from it);
#   - no process calls a screen-saver, session-manager or power interface on the session bus.
# Last, an Inhibit sent by hand must un-blank the screen: the helper was listening all along.
set -uo pipefail
[ $# = 2 ] && [ -n "${DISPLAY:-}" ] ||
    { echo "usage: ${0##*/} PROGRAM HOST  (on an X display)" >&2; exit 2; }
program=$1 host_tool=$2
source "$(dirname "$0")/harness.sh" env SDL_AUDIODRIVER=dummy "$program"
chmod 755 "$work"
daemons=()
stop_daemons() { kill "${daemons[@]}" 2>/dev/null; }
trap 'stop_daemons; cleanup' EXIT

# A private bus of TYPE (session or system) on a socket in $work that every user may use; its
# address is exported in VARIABLE.
bus() { # bus TYPE VARIABLE
    cat >"$work/$1.conf" <<CONFIG
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>unix:path=$work/$1_bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONFIG
    dbus-daemon --config-file="$work/$1.conf" --fork --print-pid >"$work/$1.pid" || return
    daemons+=("$(cat "$work/$1.pid")")
    export "$2=unix:path=$work/$1_bus"
}
say "a desktop session: system bus with logind, session bus watched"
expect "the system bus starts" bus system DBUS_SYSTEM_BUS_ADDRESS || report
/usr/bin/python3 "$(dirname "$0")/../support/logind_stand_in.py" >"$work/logind.out" 2>&1 &
daemons+=($!)
expect "the stand-in for logind owns its name" within 10 grep -qs ready "$work/logind.out" || report
expect "the session bus starts" bus session DBUS_SESSION_BUS_ADDRESS || report
dbus-monitor --session "type='method_call'" >"$work/calls" 2>&1 &
monitor=$!
daemons+=($!)

install_program "$program"
expect "the xscreensaver daemon answers" start_xscreensaver || report
daemons+=("$xscreensaver")
expect "its D-Bus helper runs" within 10 eval 'pgrep -x xscreensaver-sy >/dev/null' || report

say "the program as xscreensaver's saver, in a window and in a host's window, a minute untouched"
daemon -activate >/dev/null
expect "the daemon starts the program" within 10 eval 'pgrep -f "^nimbrost /s$" >/dev/null' ||
    report
start -win
windowed=$pid
"$host_tool" --geometry 320x240+0+0 >"$work/host_id" &
daemons+=($!)
within 5 test -s "$work/host_id" && XSCREENSAVER_WINDOW=$(cat "$work/host_id") start /s
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
growing() {
    local i
    for ((i = 1; i < ${#idle[@]}; i++)); do [ "${idle[i]}" -gt "${idle[i - 1]}" ] || return; done
    [ "${idle[-1]}" -ge 55 ]
}
expect "the X server's idle time keeps growing (${idle[*]} s)" growing
expect "the daemon's log has no \"inhibited by\"" not grep -q "inhibited by" "$home/log"
kill -TERM "$windowed" "$hosted"
expect "SIGTERM ends the windowed run with code 0" ends_well 5 "$windowed"
expect "SIGTERM ends the hosted run with code 0" ends_well 5 "$hosted"
kill "$monitor"
forbidden='org\.(freedesktop\.ScreenSaver|gnome\.ScreenSaver|gnome\.SessionManager|kde\.'
forbidden+='|freedesktop\.PowerManagement)'
calls=$(grep -E "^method call .*$forbidden" "$work/calls" |
    sed -E 's/.*destination=([^ ]*) .*member=(.*)/\1 \2/' | sort -u | paste -sd,)
expect "no call to a screen-saver, session or power interface${calls:+: $calls}" [ -z "$calls" ]

# The helper forgets an inhibitor once it leaves the bus: this one stays until the end.
say "the helper listens: an Inhibit by hand un-blanks the screen"
/usr/bin/python3 -c 'import dbus, time
dbus.SessionBus().call_blocking("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
    "org.freedesktop.ScreenSaver", "Inhibit", "ss", ("test", "test"))
time.sleep(60)' &
daemons+=($!)
expect "the screen un-blanks" within 30 eval 'daemon -time | grep -q non-blanked'
daemon -exit >/dev/null
report
