#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# The bash completion reads the tool's help texts; this checks that it still finds the
# commands, options and store keys in them.
# Usage: check_completion.sh COMPLETION_SCRIPT TOOL
set -u
source "$1"
tool=$2
failed=0

# expect "WORDS..." "REPLY": completing the last word gives exactly REPLY.
expect()
{
    COMP_WORDS=("$tool" $1)
    [[ $1 == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tavshare
    if [[ "${COMPREPLY[*]}" != "$2" ]]; then
        echo "tavshare $1<TAB>: got '${COMPREPLY[*]}', expected '$2'"
        failed=1
    fi
}

expect "lo" "locks"
expect "settings s" "show set"
expect "recent prune --d" "--debug --dry-run"
expect "settings set --app orbelle IconS" "IconSize IconSizeType"
expect "settings get Halvex/RecentFileList/TavrelleM" "Halvex/RecentFileList/TavrelleModelFile Halvex/RecentFileList/TavrelleMultiImportFile"
expect "settings set LineSpace " ""
expect "settings set --app h" "halvex"
expect "locks list --app " "orbelle quintara halvex dornel pellaris"
expect "recent list --app quintara --type m" "model multiimport"
expect "settings set --type b" "bool"
expect "format --notation " ""
expect "he" "help"
exit $failed
