#!/bin/sh
# Every command and option the man page documents is offered by each shell's completion.
# Usage: completion-coverage.sh MAN_PAGE_SCD COMPLETION...
set -eu
page=$1
shift
# Commands are the bold words that open an entry of the COMMANDS section; options are every
# bold long option of the page.
commands=$(sed -n '/^# COMMANDS/,/^# EXIT STATUS/p' "$page" | sed -n 's/^\*\([a-z]*\)\*.*/\1/p' | sort -u)
options=$(grep -o '\*--[a-z-]*\*' "$page" | tr -d '*' | grep -v '^--$' | sort -u)
[ -n "$commands" ] && [ -n "$options" ] || { echo "nothing read from $page"; exit 1; }
failed=0
for completion in "$@"; do
    for word in $commands $options; do
        name=${word#--}
        # A long option is written "--name" (bash, zsh) or "-l name" (fish).
        if ! grep -q -e "[ ,'\"(]$word\\b" -e "-l $name\\b" -e "^ *'$word:" "$completion"; then
            echo "$(basename "$completion"): $word is not completed"
            failed=1
        fi
    done
done
[ $failed -eq 0 ] && echo "$(echo $commands | wc -w) commands and $(echo $options | wc -w) options completed"
exit $failed
