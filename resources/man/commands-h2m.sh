#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a help2man include file with a COMMANDS section: the --help text of every
# command of tolvo-cli, each under its name.
#   commands-h2m.sh TOLVO_CLI OUT
set -eu
cli=$1
out=$2
commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
{
    echo '[COMMANDS]'
    for command in $commands; do
        echo '.SS '"$command"
        echo '.nf'
        # Lines that start with "." or "'" would be read as requests.
        "$cli" "$command" --help | sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
        echo '.fi'
    done
} >"$out"
