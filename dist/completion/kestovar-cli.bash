# bash completion for kestovar-cli: commands, their options and option values, and .kvf data
# files. Account names are not offered: reading them needs the master password.

_kestovar_cli_files() { # _kestovar_cli_files PATTERN: folders and files that match
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -d -- "$cur") $(compgen -f -X "!$1" -- "$cur"))
}

_kestovar_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="ls show add edit rm passwd create upgrade downgrade export import merge repair"
    commands+=" totp clip generate analyze info"
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]}
    # Options that take a value, for the command at hand.
    local valued="--field --login --notes-file --generate --prefer --timeout --length --words"
    valued+=" --format --kdf-passes --kdf-memory --output --hibp"
    [[ $command == import ]] && valued+=" --csv"

    case $prev in
    --field)
        case $command in
        show) COMPREPLY=($(compgen -W "login password notes url" -- "$cur")) ;;
        clip) COMPREPLY=($(compgen -W "login password totp" -- "$cur")) ;;
        esac
        return
        ;;
    --prefer)
        COMPREPLY=($(compgen -W "other" -- "$cur"))
        return
        ;;
    --notes-file)
        _kestovar_cli_files '*'
        return
        ;;
    --csv)
        if [[ $command == import ]]; then
            _kestovar_cli_files '*.csv'
            return
        fi
        ;;
    --format)
        COMPREPLY=($(compgen -W "1 2" -- "$cur"))
        return
        ;;
    --output)
        _kestovar_cli_files '*.kvf'
        return
        ;;
    --hibp)
        _kestovar_cli_files '*'
        return
        ;;
    --login | --generate | --timeout | --length | --words | --kdf-passes | --kdf-memory)
        return
        ;;
    esac

    if [[ $cur == -* ]]; then
        local options="--help"
        case $command in
        show) options+=" --field --show-password" ;;
        add | edit) options+=" --login --notes-file --password-prompt --generate --reseal" ;;
        rm) options+=" --reseal" ;;
        passwd) options+=" --kdf-passes --kdf-memory --reseal" ;;
        create) options+=" --format --kdf-passes --kdf-memory" ;;
        upgrade) options+=" --new-password --kdf-passes --kdf-memory" ;;
        downgrade) options+=" --output --drop-damaged" ;;
        export) options+=" --csv" ;;
        import) options+=" --csv --reseal" ;;
        merge) options+=" --prefer --reseal" ;;
        analyze) options+=" --hibp --show-password" ;;
        clip) options+=" --field --timeout" ;;
        generate) options+=" --length --words" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The place of the word among the arguments that are not options.
    local i place=0
    for ((i = 2; i < COMP_CWORD; i++)); do
        local word=${COMP_WORDS[i]}
        if [[ " $valued " == *" $word "* ]]; then
            ((i++))
        elif [[ $word != -* ]]; then
            ((place++))
        fi
    done
    case $command in
    generate) ;;
    merge) ((place <= 1)) && _kestovar_cli_files '*.kvf' ;;
    *) ((place == 0)) && _kestovar_cli_files '*.kvf' ;;
    esac
}

complete -F _kestovar_cli kestovar-cli
