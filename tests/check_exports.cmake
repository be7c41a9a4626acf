# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Compares the dynamic symbols that libTavShare defines with the public API listed in
# exported_symbols.txt: nothing more (internal functions stay hidden), nothing less; and
# every one of them carries the library's version node as its default version.
# Usage: cmake -DLIBRARY=<libTavShare.so> -DEXPECTED=<list> -DVERSION_NODE=<node> [-DNM=nm]
#        -P check_exports.cmake

if(NOT NM)
    set(NM nm)
endif()
execute_process(COMMAND ${NM} -D -C --defined-only ${LIBRARY}
    OUTPUT_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()

string(REPLACE "\n" ";" lines "${output}")
set(actual)
set(unversioned)
foreach(line IN LISTS lines)
    # "<address> <type> <name>@@<version node>"; the name may hold blanks.
    if(NOT line MATCHES "^[0-9a-f]+ [A-Za-z] (.+)$")
        continue()
    endif()
    set(name "${CMAKE_MATCH_1}")
    # The version node itself is defined as an absolute symbol.
    if(name STREQUAL VERSION_NODE)
        continue()
    endif()
    if(NOT name MATCHES "^(.+)@@${VERSION_NODE}$")
        string(REPLACE ";" "\\;" name "${name}")
        list(APPEND unversioned "${name}")
        continue()
    endif()
    set(name "${CMAKE_MATCH_1}")
    # The same API spelled differently by compiler and Qt versions.
    string(REPLACE "[abi:cxx11]" "" name "${name}")
    string(REPLACE "QList<QString>" "QStringList" name "${name}")
    string(REPLACE "QStringList >" "QStringList>" name "${name}")
    string(REPLACE ";" "\\;" name "${name}")
    list(APPEND actual "${name}")
endforeach()
list(REMOVE_DUPLICATES actual)
list(SORT actual)

file(STRINGS ${EXPECTED} expected)
list(FILTER expected EXCLUDE REGEX "^#|^$")
list(SORT expected)

if(unversioned)
    string(REPLACE ";" "\n  " unversioned "${unversioned}")
    message(FATAL_ERROR "Exported symbols without the version node ${VERSION_NODE}:\n  ${unversioned}")
endif()

set(unexpected ${actual})
list(REMOVE_ITEM unexpected ${expected})
set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
if(unexpected OR missing)
    string(REPLACE ";" "\n  " unexpected "${unexpected}")
    string(REPLACE ";" "\n  " missing "${missing}")
    message(FATAL_ERROR "Exported symbols differ from the public API.\nExported but not listed:\n  ${unexpected}\nListed but not exported:\n  ${missing}")
endif()
list(LENGTH actual count)
message(STATUS "${count} exported symbols, as listed, all of version ${VERSION_NODE}")
