# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Runs in cpack after the components are installed into the staging folder and before
# the packages are made: compresses the man pages as Debian ships them.

file(GLOB_RECURSE manpages "${CPACK_TEMPORARY_DIRECTORY}/*.[1-9]")
list(FILTER manpages INCLUDE REGEX "/share/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(manpage IN LISTS manpages)
    execute_process(COMMAND gzip -9nf ${manpage} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cannot compress ${manpage}")
    endif()
endforeach()
