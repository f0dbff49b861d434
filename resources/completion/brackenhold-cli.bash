# bash completion for brackenhold-cli

_brackenhold_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="new add list status backup restore verify versions settings remove import schedule unschedule help"
    local global="-q --quiet -v --verbose -h --help"

    # The command is the first word that is not a global option.
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -q | --quiet | -v | --verbose) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$global --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options=""
    case $command in
        add) options="--recursive" ;;
        list) options="--json --date-mode" ;;
        status) options="--json" ;;
        backup) options="--dry-run --notify --keep-versions --verify-after-copy" ;;
        restore) options="--all --keep-copies --version" ;;
        remove) options="--delete-archives" ;;
        schedule) options="--every --list" ;;
        help)
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            return
            ;;
    esac

    case $prev in
        --every | --date-mode | --keep-versions | --version) return ;; # a number or a time
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options $global --" -- "$cur"))
        return
    fi
    # MANAGER, FILE and OTHER are files; ROW is a number.
    _filedir
}

complete -F _brackenhold_cli brackenhold-cli
