# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for freqdeck-cli: its commands and options, the profile names, and file names for
# save and load.

_freqdeck_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands='show status profile save load defaults tools boost mode set why profiles save-profile apply rename-profile delete-profile export-profile power-rules'
    local profiles='performance fast normal slow powersave custom'
    local word command='' json=''
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        --json) json=1 ;;
        --cpu | --config-dir | --state-dir) ((i++)) ;; # their values are no command
        -h | --help | --version) return 0 ;;
        -*) ;;
        *)
            # Every command but set takes at most one argument: after it there is nothing to complete.
            [[ -n $command && $command != set && $command != *-profile && $command != power-rules ]] && return 0
            [[ -z $command ]] && command=$word
            ;;
        esac
    done

    case $command in
    '')
        if [[ -n $json ]]; then
            mapfile -t COMPREPLY < <(compgen -W 'show why status load defaults' -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands --json --help --version --config-dir --state-dir" -- "$cur")
        fi
        ;;
    show)
        [[ $cur == -* ]] && mapfile -t COMPREPLY < <(compgen -W '--watch' -- "$cur")
        ;;
    profile)
        mapfile -t COMPREPLY < <(compgen -W "$profiles" -- "$cur")
        ;;
    apply)
        mapfile -t COMPREPLY < <(compgen -W "$profiles $(freqdeck-cli profiles 2>/dev/null)" -- "$cur")
        ;;
    rename-profile | delete-profile | export-profile)
        mapfile -t COMPREPLY < <(compgen -W "$(freqdeck-cli profiles 2>/dev/null)" -- "$cur")
        ;;
    power-rules)
        mapfile -t COMPREPLY < <(compgen -W 'show apply watch set' -- "$cur")
        ;;
    load)
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--trusted-only --save-defaults --verbose --json --settle-ms --cpu' -- "$cur")
        else
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        fi
        ;;
    tools)
        mapfile -t COMPREPLY < <(compgen -W 'share leave undecided' -- "$cur")
        ;;
    boost)
        mapfile -t COMPREPLY < <(compgen -W 'on off' -- "$cur")
        ;;
    mode)
        mapfile -t COMPREPLY < <(compgen -W '--reapply active guided passive' -- "$cur")
        ;;
    set)
        if [[ ${COMP_WORDS[COMP_CWORD - 1]} == --cpu ]]; then
            # The groups the program knows, and this machine's policies.
            local groups='all p-cores e-cores' policy
            for policy in /sys/devices/system/cpu/cpufreq/policy*; do
                [[ -d $policy ]] && groups+=" ${policy##*/}"
            done
            mapfile -t COMPREPLY < <(compgen -W "$groups" -- "$cur")
        elif [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--cpu' -- "$cur")
        fi
        ;;
    save)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    esac
    return 0
}
complete -F _freqdeck_cli freqdeck-cli
