# bash completion for tolvo: its options and PDF file names.
_tolvo()
{
    local cur prev words cword
    _init_completion || return
    if [[ $prev == --benchmark-open ]]; then
        _filedir '@(pdf|PDF)'
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--help --version --benchmark-open --" -- "$cur"))
        return
    fi
    if [[ $cur == tolvo:* ]]; then
        local prefix
        COMPREPLY=()
        while IFS= read -r prefix; do
            [[ tolvo://$prefix == "$cur"* ]] && COMPREPLY+=("tolvo://$prefix")
        done < <(tolvo-cli routes --names 2>/dev/null)
        compopt -o nospace
        return
    fi
    _filedir '@(pdf|PDF)'
} && complete -F _tolvo tolvo
