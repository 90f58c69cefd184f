# fish completion for tolvo: its options, PDF file names and tolvo:// URLs of the stored prefixes.
complete -c tolvo -f
complete -c tolvo -s h -l help -d 'Show the help'
complete -c tolvo -l version -d 'Show the version'
complete -c tolvo -l benchmark-open -r -d 'Time opening a PDF'
complete -c tolvo -k -a '(__fish_complete_suffix .pdf)'
complete -c tolvo -a '(tolvo-cli routes --names 2>/dev/null | string replace -r "^" "tolvo://")'
