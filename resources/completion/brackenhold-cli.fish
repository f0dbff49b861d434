# fish completion for brackenhold-cli

set -l commands new add list status backup restore verify versions settings remove import schedule unschedule help

complete -c brackenhold-cli -f
complete -c brackenhold-cli -s q -l quiet -d 'Print only failures'
complete -c brackenhold-cli -s v -l verbose -d 'One line per file acted on'
complete -c brackenhold-cli -s h -l help -d 'Show the help'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'

complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a new -d 'Create an empty manager'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a add -d 'Add files, each with an empty archive'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a list -d 'List every entry with its status'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a status -d 'Exit 1 unless every archive is up to date'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a backup -d 'Back up out-of-date entries'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Restore archives over their sources'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a verify -d 'Compare archives with their sources'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a versions -d 'List the kept versions of a row'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a settings -d 'Print or change a manager'"'"'s own settings'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a remove -d 'Remove entries'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a import -d 'Import another manager'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a schedule -d 'Back up on a systemd user timer'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a unschedule -d 'Remove a manager\'s schedule'
complete -c brackenhold-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'Show the help of a command'

# After a command: its options, and files for MANAGER, FILE and OTHER.
complete -c brackenhold-cli -n "__fish_seen_subcommand_from new add list status backup restore verify versions settings remove import schedule unschedule" -F
complete -c brackenhold-cli -n "__fish_seen_subcommand_from help" -a "$commands"
complete -c brackenhold-cli -n "__fish_seen_subcommand_from add" -l recursive -d 'Add a whole folder below an archive folder'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from list" -l json -d 'Print JSON'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from list" -l date-mode -x -d 'How dates are shown'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from status" -l json -d 'Print JSON'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from backup" -l dry-run -d 'Copy nothing, tell what would be copied'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from backup" -l notify -d 'Notify the desktop when the run fails'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from backup" -l verify-after-copy -d 'Compare each new archive with its source'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from backup" -l keep-versions -x -d 'Keep the last N replaced archives in this run'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from restore" -l all -d 'Restore every entry'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from restore" -l keep-copies -d 'Keep a copy of each source'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from restore" -l version -x -d 'Restore the kept version of this time'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from remove" -l delete-archives -d 'Delete the archives too'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from schedule" -l every -x -d 'Hours between backups'
complete -c brackenhold-cli -n "__fish_seen_subcommand_from schedule" -l list -d 'Show the schedules'
