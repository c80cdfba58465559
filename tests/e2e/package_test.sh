#!/usr/bin/env bash
# package_test.sh BUILD_DIR: makes the Debian package of BUILD_DIR's program, checks it with
# lintian, its manual page with man and its desktop entries with desktop-file-validate, installs
# it with apt, runs /usr/bin/nimbrost -win on the current X display and removes it. Installing
# needs root (as on CI) and no nimbrost installed.
source "$(dirname "$0")/harness.sh"
arguments BUILD_DIR [ $# = 1 ]
build=$1 launcher=(/usr/bin/nimbrost)
installed=0
trap '[ "$installed" = 0 ] || apt-get remove -y -qq nimbrost >/dev/null 2>&1; cleanup' EXIT
apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=300 "$@" \
        >"$work/apt.log" 2>&1 || ! cat "$work/apt.log"
}

say "the Debian package"
expect "cpack makes it" eval 'cpack --config "$build/CPackConfig.cmake" -B "$work" \
    >"$work/cpack.log" 2>&1 || ! cat "$work/cpack.log"' || report
package=$(ls "$work"/nimbrost_*.deb)
depends=$(dpkg-deb -f "$package" Depends)
expect "it depends on the soundfont and the font, and on the libraries it links ($depends)" eval \
    'grep -q "timgm6mb-soundfont.*fonts-dejavu-core.*libsdl2-2.0-0.*libstdc++6" <<<"$depends"'
lintian "$package" 2>&1 | grep -v 'running with root privileges' >"$work/lintian"
sed 's/^/  lintian: /' "$work/lintian"
expect "lintian runs and finds no error or warning" \
    eval 'command -v lintian >/dev/null && not grep -q "^[EW]:" "$work/lintian"'
dpkg-deb -x "$package" "$work/root"
page=$work/root/usr/share/man/man6/nimbrost.6.gz
expect "man reads its page, which names the host's variable, without a warning" eval \
    'man --warnings -l "$page" 2>"$work/man.err" | grep -q XSCREENSAVER_WINDOW &&
     [ ! -s "$work/man.err" ]'
# The copyright file in Debian's machine-readable format, with LICENSE's holder and terms.
copyright=$work/root/usr/share/doc/nimbrost/copyright
license=$(dirname "$0")/../../LICENSE
expect "the copyright file is machine-readable, Expat-licensed, with LICENSE's terms" eval \
    'grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
        "$copyright" && [ "$(grep -c "^License: Expat$" "$copyright")" = 2 ] &&
     grep -qx "Copyright: $(sed -n "s/^Copyright //p" "$license")" "$copyright" &&
     diff <(sed -n "/^Permission/,\$p" "$license") \
          <(sed -n "/^ Permission/,\$p" "$copyright" | sed "s/^ //; s/^\.$//")'
theme=$work/root/usr/share/applications/screensavers/nimbrost.desktop
for entry in "$work/root/usr/share/applications/nimbrost.desktop" "$theme"; do
    desktop-file-validate "$entry" >"$work/validate" 2>&1
    valid=$? said=$(grep -v hint: "$work/validate" | sed "s|^$work/root[^ ]* ||")
    expect "desktop-file-validate passes ${entry#"$work/root"}${said:+ ($said)}" \
        eval '[ "$valid" = 0 ] && [ -z "$said" ]'
done
# MATE's and Xfce's screen savers run a theme's command only from their own folders or
# xscreensaver's: the entry names the package's saver there, the program, started with /s.
saver=$(sed -n 's/^TryExec=//p' "$theme")
expect "the theme entry starts the program in xscreensaver's folder ($saver) with /s" eval \
    '[[ $saver == /usr/libexec/xscreensaver/* ]] && grep -qx "Exec=$saver /s" "$theme" &&
     [ "$(readlink -f "$work/root$saver")" = "$(readlink -f "$work/root/usr/bin/nimbrost")" ]'

[ "$(id -u)" = 0 ] || { say "  (installing it needs root: left out)"; report; }
dpkg-query -W -f='${Status}' nimbrost 2>/dev/null | grep -q 'install ok installed' &&
    { say "  (a nimbrost package is installed already: installing left out)"; report; }

say "installed with apt, run and removed"
installed=1
expect "apt installs it" apt_get install "$package" || report
expect "/usr/bin/nimbrost -win shows squares" eval 'start_window -win && drawn 500'
kill -TERM "$pid"
expect "SIGTERM ends it with code 0, saying nothing" eval 'ends_well 10 && [ ! -s "$out" ]'
# xsecurelock's saver runs the program as a screen saver: it reads the host's variable.
expect "xsecurelock's saver runs it with /s" ends_with 255 "\"none\" is not a window id" \
    env XSCREENSAVER_WINDOW=none /usr/libexec/xsecurelock/saver_nimbrost -root
expect "apt removes it" apt_get remove nimbrost
installed=0
expect "leaving none of its files" eval '! dpkg -s nimbrost >/dev/null 2>&1 &&
    [ ! -e /usr/bin/nimbrost ] && [ ! -e /usr/libexec/nimbrost ] &&
    [ ! -L /usr/libexec/xscreensaver/nimbrost ] &&
    [ ! -e /usr/libexec/xsecurelock/saver_nimbrost ] &&
    [ ! -e /usr/share/applications/screensavers/nimbrost.desktop ] &&
    [ ! -e /usr/share/man/man6/nimbrost.6.gz ] && [ ! -e /usr/share/doc/nimbrost ]'
report
