# Bash completion for tsccurve: its subcommands, each one's options, and the
# names an option takes. Installed as
# share/bash-completion/completions/tsccurve; to try it: source this file.

_tsccurve() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            fit | methods)
                command=${COMP_WORDS[i]}
                break
                ;;
            --) break ;;
        esac
    done

    local options values=""
    case $command in
        fit)
            options="--beta --area --peaks --order --background --weights --range --fix --model
                     --step --celsius --json --curve --plot --shared --help"
            case $prev in
                --order) values="first second general" ;;
                --background) values="none constant linear exponential" ;;
                --weights) values="none poisson" ;;
                --model) values="standard legacy" ;;
                --peaks) values="auto 1 2 3" ;;
                --fix) values="Et= Vt= Nt= b=" ;;
                --beta) values="K/min K/s" ;;
                --shared) values="Et,Vt,b Et,Vt,b,Nt" ;;
                --area | --step | --range) return 0 ;;
                --curve | --plot) return 0 ;; # file names, by the default completion
            esac
            ;;
        methods)
            options="--beta --celsius --range --rise-window --json --plot --help"
            case $prev in
                --beta) values="K/min K/s" ;;
                --range | --rise-window) return 0 ;;
                --plot) return 0 ;;
            esac
            ;;
        *)
            options="--results --peak --model --help"
            case $prev in
                --model) values="legacy standard" ;;
            esac
            if [[ -z $values && $COMP_CWORD -eq 1 && $cur != -* ]]; then
                values="fit methods"
            fi
            ;;
    esac

    if [[ -n $values ]]; then
        if [[ $values == *=* ]]; then compopt -o nospace 2>/dev/null; fi
        # A heating rate's unit goes after the number typed so far.
        if [[ $prev == --beta ]]; then
            [[ $cur =~ ^[0-9.eE+-]+$ ]] || return 0
            values="${cur}K/min ${cur}K/s"
        fi
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
    elif [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    fi
    return 0
}

complete -o default -F _tsccurve tsccurve
