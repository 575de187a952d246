# bash completion of wumpo-tool: its commands, each command's options, and the files each takes,
# by their extensions (in either letter case), with folders to go into.

# The files that complete $1 and end in one of the extensions after it, and the folders that do.
_wumpo_tool_files() {
    local cur=$1 ext
    shift
    COMPREPLY=($(compgen -d -- "$cur"))
    for ext in "$@"; do
        COMPREPLY+=($(compgen -f -X "!*.$ext" -- "$cur") $(compgen -f -X "!*.${ext^^}" -- "$cur"))
    done
}

_wumpo_tool() {
    local cur=${COMP_WORDS[COMP_CWORD]} before=${COMP_WORDS[COMP_CWORD - 1]}
    local command=${COMP_WORDS[1]} sub=${COMP_WORDS[2]} options
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "convert view level preview build check pack --help --version" \
            -- "$cur"))
        return
    fi
    if ((COMP_CWORD == 2)) && [[ $command == level || $command == pack ]]; then
        [[ $command == level ]] && options="show create" || options=init
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
    convert) options="--out --jobs --dither --help" ;;
    level) [[ $sub == show ]] && options="--json --help" || options="--from --help" ;;
    preview) options="--as-game --dither --help" ;;
    build) options="--jobs --force --no-wait --watch --format --json --help" ;;
    check) options="--format --json --help" ;;
    *) options=--help ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $before in
    --jobs) return ;;
    --format) COMPREPLY=($(compgen -W "text json github sarif" -- "$cur")) && return ;;
    --dither) COMPREPLY=($(compgen -W "none ordered diffusion" -- "$cur")) && return ;;
    --out) COMPREPLY=($(compgen -d -- "$cur")) && return ;;
    --from) _wumpo_tool_files "$cur" json && return ;;
    esac
    case $command in
    convert) _wumpo_tool_files "$cur" png bmp ;;
    view) _wumpo_tool_files "$cur" img bmp png ;;
    level) _wumpo_tool_files "$cur" lvl ;;
    preview) _wumpo_tool_files "$cur" lvl bmp png ;;
    build) _wumpo_tool_files "$cur" json ;;
    check) _wumpo_tool_files "$cur" json lvl ;;
    pack) COMPREPLY=($(compgen -d -- "$cur")) ;;
    esac
}
complete -F _wumpo_tool wumpo-tool
