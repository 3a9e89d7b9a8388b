#!/usr/bin/env bash
# Checks (`check`, the default) or rewrites (`fix`) the formatting of every C++ file in the tree,
# with the clang-format the tree is formatted with: Debian 12's, version 14.
#
# Other versions format some code differently whatever .clang-format says: clang-format 19
# (Debian 13) writes `struct stat info{}` for `struct stat info {}`, `T A::* field` for
# `T A::*field`, and no longer breaks a call before its arguments when a lambda is not the last of
# them. No option chooses the older way, and version 14 refuses the options later versions added.
# So with another version the check is skipped, saying so, rather than failing on code that is
# formatted; and `fix` refuses, rather than reformatting the tree in another version's style.
set -euo pipefail
mode=${1:-check}
tree_version=14
cd "$(dirname "${BASH_SOURCE[0]}")/.."

program=""
for candidate in "clang-format-$tree_version" clang-format; do
    if command -v "$candidate" >/dev/null &&
        [[ $("$candidate" --version) =~ version\ $tree_version\. ]]; then
        program=$candidate
        break
    fi
done

if [ -z "$program" ]; then
    found=$(clang-format --version 2>/dev/null | grep -oE 'version [0-9]+' || echo "none")
    found=${found#version }
    if [ "$mode" = check ]; then
        echo "clang-format.sh: skipping the format check: the tree is formatted with clang-format" \
            "$tree_version, and this is $found" >&2
        exit 0
    fi
    echo "clang-format.sh: not reformatting: the tree is formatted with clang-format $tree_version," \
        "and this is $found" >&2
    exit 1
fi

case "$mode" in
check) git ls-files '*.cpp' '*.h' | xargs "$program" --dry-run --Werror ;;
fix) git ls-files '*.cpp' '*.h' | xargs "$program" -i ;;
*)
    echo "usage: $0 [check|fix]" >&2
    exit 2
    ;;
esac
