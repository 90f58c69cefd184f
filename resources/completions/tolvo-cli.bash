# bash completion for tolvo-cli: commands, their options, PDF file names, and the
# prefixes of the routing table for the options and URLs that take one.

_tolvo_cli_options()
{
    case $1 in
    prefix) echo "--assign --help" ;;
    info) echo "--json --password --help" ;;
    defaults) echo "--delete --help" ;;
    routes) echo "--json --names --help" ;;
    check) echo "--json --notes --help" ;;
    toc) echo "--prefix --json --password --help" ;;
    resolve) echo "--json --password --help" ;;
    opml) echo "--style --prefix -o --password --help" ;;
    render) echo "--page --dpi --prefix -o --password --help" ;;
    search) echo "--json --library --password --help" ;;
    annotations) echo "--format --json --kinds --quotes --no-quotes --prefix -o --password --help" ;;
    link) echo "--page --toc --point --whole --prefix --style --format --password --help" ;;
    notes) echo "--html --help" ;;
    status) echo "--json --help" ;;
    esac
}

_tolvo_cli()
{
    local cur prev words cword
    _init_completion || return
    local commands="prefix info defaults routes check toc resolve opml render search annotations link notes status"

    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${words[1]}

    case $prev in
    --password)
        return ;;
    --prefix)
        local IFS=$'\n'
        COMPREPLY=($(compgen -W "$(tolvo-cli routes --names 2>/dev/null)" -- "$cur"))
        return ;;
    --style)
        if [[ $command == opml ]]; then
            COMPREPLY=($(compgen -W "url tolvo in-title" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "expanded condensed condensed-title" -- "$cur"))
        fi
        return ;;
    --format)
        if [[ $command == link ]]; then
            COMPREPLY=($(compgen -W "url markdown html rtf" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "rtf markdown html" -- "$cur"))
        fi
        return ;;
    --kinds)
        COMPREPLY=($(compgen -W "notes highlights underlines strikeouts" -- "$cur"))
        return ;;
    -o)
        _filedir
        return ;;
    --page | --toc | --dpi | --point)
        return ;;
    --delete)
        COMPREPLY=($(compgen -W "$(tolvo-cli defaults 2>/dev/null | cut -d' ' -f1)" -- "$cur"))
        return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_tolvo_cli_options "$command")" -- "$cur"))
        return
    fi
    case $command in
    check) _filedir ;;
    defaults)
        [[ $cword -eq 2 ]] && COMPREPLY=($(compgen -W "$(tolvo-cli defaults 2>/dev/null | cut -d' ' -f1)" -- "$cur")) ;;
    resolve)
        if [[ $cur == tolvo:* ]]; then
            # The URL's first part is a stored prefix.
            local prefix
            COMPREPLY=()
            while IFS= read -r prefix; do
                [[ tolvo://$prefix == "$cur"* ]] && COMPREPLY+=("tolvo://$prefix")
            done < <(tolvo-cli routes --names 2>/dev/null)
            compopt -o nospace
        else
            _filedir '@(pdf|PDF)'
        fi ;;
    notes)
        if [[ $cword -eq 2 ]]; then
            COMPREPLY=($(compgen -W "list print restore" -- "$cur"))
        elif [[ $cword -eq 3 ]]; then
            COMPREPLY=($(compgen -W "1 2 3 4 5" -- "$cur"))
        elif [[ $cword -eq 4 && ${words[2]} != list ]]; then
            # The names of the versions kept of that area.
            COMPREPLY=($(compgen -W "$(tolvo-cli notes list "${words[3]}" 2>/dev/null | awk '{print $3}')" -- "$cur"))
        fi ;;
    prefix | routes | status) ;;
    *) _filedir '@(pdf|PDF)' ;;
    esac
} && complete -F _tolvo_cli tolvo-cli
