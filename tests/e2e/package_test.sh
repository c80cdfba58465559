#!/usr/bin/env bash
# package_test.sh BUILD_DIR
#
# Makes the Debian package from BUILD_DIR (with its program built), checks it with lintian and
# its manual page with man, then installs it with apt, runs /usr/bin/nimbrost -win on the current
# X display and removes the package again. Installing needs root (as on CI); elsewhere, and where
# a nimbrost package is installed already, those steps are left out.
set -uo pipefail

if [ $# -ne 1 ] || [ -z "${DISPLAY:-}" ]; then
    echo "usage: package_test.sh BUILD_DIR  (on an X display with a window manager)" >&2
    exit 2
fi
build=$1
work=$(mktemp -d)
# shellcheck source=tests/e2e/checks.sh
. "$(dirname "$0")/checks.sh"
pid=
installed=0
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    [ "$installed" = 1 ] && apt-get remove -y -qq nimbrost >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=300 "$@" \
        >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; return 1; }
}

say "the Debian package"
make_package() { cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; }
expect "cpack makes it" make_package || { cat "$work/cpack.log"; report; }
package=$(ls "$work"/nimbrost_*.deb)
say "  ($(basename "$package"): $(stat -c %s "$package") bytes)"
say "  (Depends: $(dpkg-deb -f "$package" Depends))"
expect "it depends on the soundfont and the font" \
    bash -c "dpkg-deb -f '$package' Depends | grep -q 'timgm6mb-soundfont.*fonts-dejavu-core'"
expect "and on the libraries it links" \
    bash -c "dpkg-deb -f '$package' Depends | grep -q 'libsdl2-2.0-0.*libstdc++6'"
if command -v lintian >/dev/null; then
    lintian "$package" 2>&1 | grep -v 'running with root privileges' >"$work/lintian"
    sed 's/^/  lintian: /' "$work/lintian"
    expect "lintian finds no error" bash -c "! grep -q '^E:' '$work/lintian'"
fi
dpkg-deb -x "$package" "$work/root"
page=$work/root/usr/share/man/man6/nimbrost.6.gz
expect "man reads its page without a warning" \
    bash -c "man --warnings -l '$page' 2>'$work/man.err' | grep -q 'EXIT STATUS' && [ ! -s '$work/man.err' ]"
expect "the page names the host's variable" bash -c "man -l '$page' | grep -q XSCREENSAVER_WINDOW"
expect "the saver in xscreensaver's folder is the program" \
    [ "$(readlink -f "$work/root/usr/libexec/xscreensaver/nimbrost")" = \
    "$(readlink -f "$work/root/usr/bin/nimbrost")" ]

if [ "$(id -u)" != 0 ]; then
    say "  (installing it needs root: left out)"
    report
fi
if dpkg-query -W -f='${Status}' nimbrost 2>/dev/null | grep -q 'install ok installed'; then
    say "  (a nimbrost package is installed already: installing left out)"
    report
fi

say "installed with apt, run and removed"
installed=1
expect "apt installs it" apt_get install "$package" || report
expect "as /usr/bin/nimbrost" [ -x /usr/bin/nimbrost ]
/usr/bin/nimbrost -win >"$work/out" 2>&1 &
pid=$!
drawn() {
    local window
    window=$(xdotool search --onlyvisible --name '^Nimbrost$' 2>/dev/null | head -n1)
    [ -n "$window" ] && import -window "$window" "$work/shot.ppm" &&
        [ "$(convert "$work/shot.ppm" -fill white +opaque black -format '%[fx:round(mean*w*h)]' \
            info:)" -gt 500 ]
}
expect "/usr/bin/nimbrost -win shows squares" within 20 drawn
kill -TERM "$pid"
wait "$pid"
status=$?
pid=
expect "SIGTERM ends it with code 0, saying nothing" [ "$status" = 0 -a ! -s "$work/out" ]
# xsecurelock's saver runs the program as a screen saver: it reads the host's variable.
XSCREENSAVER_WINDOW=none /usr/libexec/xsecurelock/saver_nimbrost -root >"$work/out" 2>&1
status=$?
expect "xsecurelock's saver runs it with /s (code $status: $(cat "$work/out"))" \
    [ "$status" = 255 -a "$(grep -c '"none" is not a window id' "$work/out")" = 1 ]
expect "apt removes it" apt_get remove nimbrost
installed=0
expect "leaving none of its files" bash -c "! dpkg -s nimbrost >/dev/null 2>&1 &&
    [ ! -e /usr/bin/nimbrost ] && [ ! -e /usr/libexec/nimbrost ] &&
    [ ! -L /usr/libexec/xscreensaver/nimbrost ] &&
    [ ! -e /usr/libexec/xsecurelock/saver_nimbrost ] &&
    [ ! -e /usr/share/man/man6/nimbrost.6.gz ] && [ ! -e /usr/share/doc/nimbrost ]"
report
