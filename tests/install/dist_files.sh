#!/usr/bin/env bash
# The manual page, the bash completion and the menu entry agree with the
# programs: every long option of `kwintor2-batch --help`, and no other, stands
# in the manual page and in the completion.
#   dist_files.sh BATCH_EXE SOURCE_DIR
set -euo pipefail
batch=$1
dist=$2/dist
failed=0
fail() {
    echo "FOUT: $*" >&2
    failed=1
}

options() { grep -oE -- '--[a-z][a-z-]*' | LC_ALL=C sort -u; }
help_options=$("$batch" --help | options)
[[ -n $help_options ]] || fail "--help lists no options"
# The heads of the manual page's items (the line after .TP), where groff writes a hyphen as \-.
man_options=$(awk 'head { print; head = 0 } /^\.TP/ { head = 1 }' "$dist/man/kwintor2-batch.1" | sed 's/\\-/-/g' |
    options)
completion_options=$(sed -n "s/^ *local options='\(.*\)'\$/\1/p" "$dist/completion/kwintor2-batch" | options)
for pair in "manual page:$man_options" "completion:$completion_options"; do
    name=${pair%%:*}
    listed=${pair#*:}
    missing=$(LC_ALL=C comm -23 <(echo "$help_options") <(echo "$listed"))
    extra=$(LC_ALL=C comm -13 <(echo "$help_options") <(echo "$listed"))
    [[ -z $missing ]] || fail "not in the $name: "$missing
    [[ -z $extra ]] || fail "in the $name but not in --help: "$extra
done

[[ $("$batch" --help-all) == "$("$batch" --help)" ]] || fail "--help-all differs from --help"

for page in "$dist"/man/*.1; do
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z "$page" 2>&1)
    [[ -z $warnings ]] || fail "$page: $warnings"
done

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$dist/kwintor2.desktop" || fail "kwintor2.desktop is not valid"
else
    echo "desktop-file-validate is missing (scripts/install-deps installs it)" >&2
    failed=1
fi

# What the completion offers, run as bash-completion runs it.
if [[ -f /usr/share/bash-completion/bash_completion ]]; then
    complete_line() {
        bash -c '
            source /usr/share/bash-completion/bash_completion
            source "$1"
            shift
            COMP_WORDS=("$@")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE="$*"
            COMP_POINT=${#COMP_LINE}
            COMPREPLY=()
            _kwintor2_batch "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            printf "%s\n" "${COMPREPLY[@]}"' _ "$dist/completion/kwintor2-batch" "$@"
    }
    got=$(complete_line "$batch" --werkb | LC_ALL=C sort | tr '\n' ' ')
    [[ $got == "--werkblad --werkbladen --werkboek " ]] || fail "completion of --werkb: $got"
    got=$(complete_line "$batch" --werkboek "$2/examples/Sportclub.xlsx" --werkblad "" | tr '\n' ' ')
    [[ $got == "Leden Toelichting " ]] || fail "completion of the sheets: $got"
else
    echo "bash-completion is missing (scripts/install-deps installs it)" >&2
    failed=1
fi
exit $failed
