#!/bin/sh
# The desktop program's own options, run as a user runs them: what each prints, where, and
# the exit status; none of them opens a window or touches the settings.
# Usage: gui-command-line.sh BRACKENHOLD
set -u
program=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home"
failed=0
# An empty pattern takes any text, none included.
matches() {
    [ -z "$1" ] || grep -q -e "$1" "$2"
}
check() {
    # check DESCRIPTION EXPECTED_STATUS EXPECTED_STDOUT_PATTERN EXPECTED_STDERR_PATTERN ARGS...
    what=$1 status=$2 out_pattern=$3 err_pattern=$4
    shift 4
    "$program" "$@" >"$home/out" 2>"$home/err"
    got=$?
    if [ $got -ne "$status" ] || ! matches "$out_pattern" "$home/out" ||
        ! matches "$err_pattern" "$home/err"; then
        echo "$what: exit $got (wanted $status)"
        echo "stdout:"; cat "$home/out"
        echo "stderr:"; cat "$home/err"
        failed=1
    fi
}
check "--version" 0 '^brackenhold 1\.[0-9]*$' '' --version
check "--help" 0 'MANAGER' '' --help
check "-h" 0 '--version' '' -h
check "two managers" 2 '' 'brackenhold: only one MANAGER' a.bak b.bak
check "unknown option" 2 '' "brackenhold: Unknown option 'frobnicate'" --frobnicate
# Nothing above may have started the program: no settings were written.
if [ -e "$home/.config/Tallowmere" ]; then
    echo "a command-line option wrote settings"
    failed=1
fi
# The last run failed: its message went to stderr alone.
if [ -s "$home/out" ]; then
    echo "an error printed on stdout"
    failed=1
fi
exit $failed
