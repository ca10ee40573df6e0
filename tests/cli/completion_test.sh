#!/usr/bin/env bash
# The shell completion of kestovar-cli: bash's answers for a table of command lines, in a folder
# of data files and others; zsh's script read for syntax where zsh is installed.
#   completion_test.sh DIST_COMPLETION_FOLDER
set -uo pipefail

completion=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir folder
touch a.kvf b.kvf notes.txt rows.csv

# shellcheck source=/dev/null
source "$completion/kestovar-cli.bash"

fail=0
# expect "LINE" "ANSWERS": LINE ends where the cursor stands (a final space starts a new word).
expect() {
    local line=$1 wanted=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kestovar_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
    if [[ $got != "$wanted" ]]; then
        echo "completion_test: '$line' gave '$got', not '$wanted'" >&2
        fail=1
    fi
}

expect "kestovar-cli " "--help --version add analyze clip create downgrade edit export generate import info ls merge passwd repair rm show totp upgrade"
expect "kestovar-cli s" "show"
expect "kestovar-cli show " "a.kvf b.kvf folder"
expect "kestovar-cli show a" "a.kvf"
expect "kestovar-cli show a.kvf mail --" "--field --help --show-password"
expect "kestovar-cli show a.kvf mail --field " "login notes password url"
expect "kestovar-cli clip a.kvf mail --field " "login password totp"
expect "kestovar-cli clip a.kvf mail --field totp --" "--field --help --timeout"
expect "kestovar-cli clip a.kvf mail --timeout " ""
expect "kestovar-cli show a.kvf " ""
expect "kestovar-cli generate --" "--help --length --words"
expect "kestovar-cli generate " ""
expect "kestovar-cli add --login ann " "a.kvf b.kvf folder"
expect "kestovar-cli add a.kvf x --notes-file n" "notes.txt"
expect "kestovar-cli import a.kvf --csv " "folder rows.csv"
expect "kestovar-cli export a.kvf --" "--csv --help"
expect "kestovar-cli merge a.kvf " "a.kvf b.kvf folder"
expect "kestovar-cli merge a.kvf b.kvf --prefer " "other"
expect "kestovar-cli merge a.kvf b.kvf " ""
expect "kestovar-cli u" "upgrade"
expect "kestovar-cli create a.kvf --" "--format --help --kdf-memory --kdf-passes"
expect "kestovar-cli create a.kvf --format " "1 2"
expect "kestovar-cli upgrade a.kvf --" "--help --kdf-memory --kdf-passes --new-password"
expect "kestovar-cli downgrade a.kvf --" "--drop-damaged --help --output"
expect "kestovar-cli downgrade a.kvf --output " "a.kvf b.kvf folder"
expect "kestovar-cli downgrade a.kvf --output new.kvf " ""
expect "kestovar-cli add a.kvf x --r" "--reseal"
expect "kestovar-cli create a.kvf --kdf-passes " ""

if command -v zsh >/dev/null; then
    zsh -n "$completion/_kestovar-cli" || fail=1
    # The function is found under its name and loads without error.
    zsh -c "fpath=('$completion' \$fpath); autoload -Uz compinit && compinit -u -D && \
        autoload -Uz _kestovar-cli && whence -w _kestovar-cli" >/dev/null || fail=1
else
    echo "completion_test: zsh is not installed; its script was not read"
fi

[ "$fail" -eq 0 ] && echo "completion_test: passed"
exit "$fail"
