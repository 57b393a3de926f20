# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for freqdeck-cli: its commands and options, the profile names, and file names for
# save and load.

_freqdeck_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands='show status profile save load defaults tools boost mode set'
    local profiles='performance fast normal slow powersave custom'
    local word command='' json=''
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        --json) json=1 ;;
        -h | --help | --version) return 0 ;;
        -*) ;;
        *)
            # Every command but set takes at most one argument: after it there is nothing to complete.
            [[ -n $command && $command != set ]] && return 0
            [[ -z $command ]] && command=$word
            ;;
        esac
    done

    case $command in
    '')
        if [[ -n $json ]]; then
            mapfile -t COMPREPLY < <(compgen -W 'show status load defaults' -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands --json --help --version" -- "$cur")
        fi
        ;;
    profile)
        mapfile -t COMPREPLY < <(compgen -W "$profiles" -- "$cur")
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
        [[ $cur == -* ]] && mapfile -t COMPREPLY < <(compgen -W '--cpu' -- "$cur")
        ;;
    save)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    esac
    return 0
}
complete -F _freqdeck_cli freqdeck-cli
