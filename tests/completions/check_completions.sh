#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The shell completions of tolvo and tolvo-cli, run in the shells themselves: commands,
# options and their values, PDF file names, and the stored prefixes of the routing table.
#   check_completions.sh BUILD_DIR SOURCE_DIR FIXTURE_PDF
# Exits 77 (skipped) when bash-completion is missing; zsh and fish are checked where installed.
set -u
build=$1
source_dir=$2
pdf=$3
completions=$source_dir/resources/completions

[ -f /usr/share/bash-completion/bash_completion ] || { echo "SKIP: bash-completion is not installed"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/files/sub" "$scratch/config"
ln -s "$build/src/tolvo-cli" "$scratch/bin/tolvo-cli"
export PATH="$scratch/bin:$PATH" XDG_CONFIG_HOME="$scratch/config" LC_ALL=C.UTF-8
cp "$pdf" "$scratch/files/Manual.pdf"
touch "$scratch/files/notes.md"
tolvo-cli prefix --assign "my book" "$scratch/files/Manual.pdf" >/dev/null || { echo "FAIL: cannot store a prefix"; exit 1; }
cd "$scratch/files"

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

# bash: the words typed so far, the last one being completed; prints the candidates sorted.
bash_complete() {
    bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$0"
        source "$1"
        shift
        COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE="${COMP_WORDS[*]}"
        COMP_POINT=${#COMP_LINE}
        complete -p "${COMP_WORDS[0]}" >/dev/null || exit 3
        function=$(complete -p "${COMP_WORDS[0]}" | sed "s/.*-F \([^ ]*\).*/\1/")
        "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort
    ' "$completions/tolvo-cli.bash" "$completions/tolvo.bash" "$@"
}

expect() { # expect SHELL "WANTED" WORDS...
    local shell=$1 wanted=$2
    shift 2
    local got
    got=$("${shell}_complete" "$@" | tr '\n' ' ' | sed 's/ $//')
    [ "$got" = "$wanted" ] || fail "$shell: $* -> '$got', wanted '$wanted'"
}

expect bash "search status" tolvo-cli s
expect bash "--names" tolvo-cli routes --n
expect bash "--help --json --names" tolvo-cli routes --
expect bash "my.book/" tolvo-cli toc Manual.pdf --prefix ""
expect bash "tolvo://my.book/" tolvo-cli resolve tolvo://m
expect bash "Manual.pdf sub" tolvo-cli info ""
expect bash "Manual.pdf notes.md sub" tolvo-cli check ""
expect bash "in-title tolvo url" tolvo-cli opml Manual.pdf --style ""
expect bash "condensed condensed-title expanded" tolvo-cli link Manual.pdf --style ""
expect bash "html markdown rtf" tolvo-cli annotations Manual.pdf --format ""
expect bash "list print restore" tolvo-cli notes ""
expect bash "1 2 3 4 5" tolvo-cli notes print ""
expect bash "--help --html" tolvo-cli notes print 1 --
expect bash "--help --json --library --password" tolvo-cli search --
expect bash "--help" tolvo --h
expect bash "Manual.pdf sub" tolvo ""
expect bash "tolvo://my.book/" tolvo tolvo:

if command -v fish >/dev/null 2>&1; then
    fish_complete() {
        fish --no-config -c 'source $argv[1]; source $argv[2]; complete -C "$argv[3]"' \
            "$completions/tolvo-cli.fish" "$completions/tolvo.fish" "$*" | cut -f1 | sort
    }
    expect fish "search status" tolvo-cli s
    expect fish "my.book/" tolvo-cli toc Manual.pdf --prefix ''
    expect fish "in-title tolvo url" tolvo-cli opml Manual.pdf --style ''
    expect fish "list print restore" tolvo-cli notes ''
    expect fish "--library" tolvo-cli search --l
    fish -n "$completions/tolvo-cli.fish" && fish -n "$completions/tolvo.fish" || fail "fish syntax"
fi
if command -v zsh >/dev/null 2>&1; then
    zsh -n "$completions/_tolvo-cli" && zsh -n "$completions/_tolvo" || fail "zsh syntax"
fi

[ "$status" -eq 0 ] && echo "completions: good"
exit "$status"
