#!/bin/sh
# Runs a validator, or skips (exit 77) when it is not installed.
command -v "$1" >/dev/null 2>&1 || { echo "$1 is not installed: skipped"; exit 77; }
exec "$@"
