# fish completion for tolvo-cli: commands, their options, PDF file names, and the
# prefixes of the routing table for the options that take one.
set -l commands prefix info defaults routes check toc resolve opml render search annotations link notes status
complete -c tolvo-cli -f
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -l help -d 'Show the help'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a prefix -d 'The link prefix made from a text'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a info -d 'Page count, labels, outline and annotation counts'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a defaults -d 'Show or change the stored options'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a routes -d 'The routing table'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a check -d 'Follow every tolvo:// link in notes files'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a toc -d 'Every outline entry with its TOC link'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a resolve -d 'Where a link target or URL leads'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a opml -d 'The outline as an OPML file'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a render -d 'A page with its label box, as PNG'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a search -d 'Matches in one PDF, or in every routed PDF'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a annotations -d 'The annotation export'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a link -d 'One link as a copy carries it'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a notes -d 'Earlier versions of the notes'
complete -c tolvo-cli -n "not __fish_seen_subcommand_from $commands" -a status -d "The running Tolvo's documents"

# PDF file names for the commands that read a PDF; any file for check.
complete -c tolvo-cli -n "__fish_seen_subcommand_from info toc resolve opml render search annotations link prefix" -k -a '(__fish_complete_suffix .pdf)'
complete -c tolvo-cli -n "__fish_seen_subcommand_from check" -F
complete -c tolvo-cli -n "__fish_seen_subcommand_from resolve" -a '(tolvo-cli routes --names 2>/dev/null | string replace -r "^" "tolvo://")'
complete -c tolvo-cli -n "__fish_seen_subcommand_from defaults" -a '(tolvo-cli defaults 2>/dev/null | string split -f1 " ")'

complete -c tolvo-cli -n "__fish_seen_subcommand_from notes; and not __fish_seen_subcommand_from list print restore" -a 'list print restore'
complete -c tolvo-cli -n "__fish_seen_subcommand_from list print restore; and test (count (commandline -opc)) -eq 3" -a '1 2 3 4 5' -d 'Notes area'
complete -c tolvo-cli -n "__fish_seen_subcommand_from print restore; and test (count (commandline -opc)) -eq 4" -a '(tolvo-cli notes list (commandline -opc)[4] 2>/dev/null | string split -n -f3 " ")' -d 'Version'
complete -c tolvo-cli -n "__fish_seen_subcommand_from notes" -l html -d 'The notes as stored (HTML)'

complete -c tolvo-cli -n "__fish_seen_subcommand_from $commands" -l help -d 'Show the help of the command'
complete -c tolvo-cli -n "__fish_seen_subcommand_from info routes check toc resolve search annotations status" -l json -d 'Print JSON'
complete -c tolvo-cli -n "__fish_seen_subcommand_from info toc resolve opml render search annotations link" -l password -x -d 'The password of an encrypted PDF'
complete -c tolvo-cli -n "__fish_seen_subcommand_from routes" -l names -d 'Only the prefixes'
complete -c tolvo-cli -n "__fish_seen_subcommand_from search" -l library -d 'Every PDF of the routing table'
complete -c tolvo-cli -n "__fish_seen_subcommand_from check" -l notes -d 'Also the notes areas'
complete -c tolvo-cli -n "__fish_seen_subcommand_from prefix" -l assign -d 'Store the prefix for a PDF'
complete -c tolvo-cli -n "__fish_seen_subcommand_from defaults" -l delete -x -a '(tolvo-cli defaults 2>/dev/null | string split -f1 " ")' -d 'Bring back the default'
complete -c tolvo-cli -n "__fish_seen_subcommand_from toc opml render annotations link" -l prefix -x -a '(tolvo-cli routes --names 2>/dev/null)' -d 'The prefix'
complete -c tolvo-cli -n "__fish_seen_subcommand_from opml" -l style -x -a 'url tolvo in-title' -d 'OPML style'
complete -c tolvo-cli -n "__fish_seen_subcommand_from link" -l style -x -a 'expanded condensed condensed-title' -d 'Link style'
complete -c tolvo-cli -n "__fish_seen_subcommand_from link" -l format -x -a 'url markdown html rtf' -d 'Format'
complete -c tolvo-cli -n "__fish_seen_subcommand_from annotations" -l format -x -a 'rtf markdown html' -d 'Format'
complete -c tolvo-cli -n "__fish_seen_subcommand_from annotations" -l kinds -x -a 'notes highlights underlines strikeouts' -d 'Kinds, separated by commas'
complete -c tolvo-cli -n "__fish_seen_subcommand_from annotations" -l quotes -d 'Quote the text'
complete -c tolvo-cli -n "__fish_seen_subcommand_from annotations" -l no-quotes -d 'Do not quote the text'
complete -c tolvo-cli -n "__fish_seen_subcommand_from opml render annotations" -s o -r -F -d 'Output file, - for standard output'
complete -c tolvo-cli -n "__fish_seen_subcommand_from render link" -l page -x -d 'Page label'
complete -c tolvo-cli -n "__fish_seen_subcommand_from render" -l dpi -x -d 'Dots per inch'
complete -c tolvo-cli -n "__fish_seen_subcommand_from link" -l toc -x -d 'Title path'
complete -c tolvo-cli -n "__fish_seen_subcommand_from link" -l point -x -d 'LABEL X Y'
complete -c tolvo-cli -n "__fish_seen_subcommand_from link" -l whole -d 'The whole PDF'
