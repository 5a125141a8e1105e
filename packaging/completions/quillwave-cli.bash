# bash completion for quillwave-cli                                  -*- shell-script -*-

_quillwave_cli()
{
    local cur prev words cword
    _init_completion || return

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            convert | dump)
                command=${words[i]}
                break
                ;;
        esac
    done

    case $command in
        "")
            COMPREPLY=($(compgen -W 'convert dump -h --help' -- "$cur"))
            ;;
        convert)
            case $prev in
                --passes)
                    COMPREPLY=($(compgen -W '1 4' -- "$cur"))
                    return
                    ;;
                --fps)
                    COMPREPLY=($(compgen -W '15 20 30 60' -- "$cur"))
                    return
                    ;;
                --engine)
                    COMPREPLY=($(compgen -W 'fast reference' -- "$cur"))
                    return
                    ;;
                --threads)
                    COMPREPLY=($(compgen -W "0 $(nproc 2>/dev/null)" -- "$cur"))
                    return
                    ;;
                -o | --output)
                    _filedir '@(dat|DAT)'
                    return
                    ;;
            esac
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '--passes --fps --stagger --engine --threads
                    -o --output -h --help' -- "$cur"))
                return
            fi
            _filedir '@(wav|WAV)'
            ;;
        dump)
            case $prev in
                --first | --count)
                    return
                    ;;
            esac
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '--first --count -h --help' -- "$cur"))
                return
            fi
            _filedir '@(dat|DAT)'
            ;;
    esac
} &&
    complete -F _quillwave_cli quillwave-cli

# ex: filetype=sh
