# The end-to-end scripts' common checks, sourced by them: numbered findings, waiting for a
# condition, and a watcher for new top-level windows. The script sets $work, a temporary folder.

failures=0
say() { printf '%s\n' "$*"; }
fail() {
    say "  FAIL: $*"
    failures=$((failures + 1))
}
expect() { # expect DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then say "  ok: $what"; else fail "$what"; fi
}

# Retries COMMAND every 50 ms until it succeeds or SECONDS pass.
within() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.05
    done
}

# Watches the root window for new top-level windows; ready once it has seen a property change
# of ours.
watcher=
watch_windows() {
    xev -root -event substructure -event property >"$work/xev" 2>&1 &
    watcher=$!
    within 5 bash -c "xprop -root -f _NIMBROST_TEST 8s -set _NIMBROST_TEST ready &&
                      grep -q _NIMBROST_TEST $work/xev"
}
windows_made() {
    kill "$watcher" 2>/dev/null
    wait "$watcher" 2>/dev/null
    grep -c CreateNotify "$work/xev"
}
# The top-level windows shown since the watcher started, made or not.
windows_shown() {
    kill "$watcher" 2>/dev/null
    wait "$watcher" 2>/dev/null
    grep -c MapNotify "$work/xev"
}

# Ends the run with the count of failures.
report() {
    if [ "$failures" -gt 0 ]; then
        say "$failures check(s) failed"
        exit 1
    fi
    say "all checks passed"
}
