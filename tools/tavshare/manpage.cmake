# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Writes the tavshare man page: help2man turns the tool's --help into the page, adds the
# hand-written sections of INCLUDE and a COMMANDS section with the --help of every
# command, so that the page says what the tool says.
# Usage: cmake -DTOOL=... -DHELP2MAN=... -DINCLUDE=... -DOUTPUT=... -DVERSION=... -P manpage.cmake

function(help_of out)
    execute_process(COMMAND ${TOOL} ${ARGN} --help RESULT_VARIABLE result OUTPUT_VARIABLE text)
    if(NOT result EQUAL 0)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "tavshare ${command} --help failed (${result})")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The names under "Commands:" in a help text.
function(commands_in out text)
    string(REGEX MATCH "\nCommands:\n([^\n]+\n)+" block "${text}")
    string(REGEX MATCHALL "\n  [a-z][a-z-]*  " names "${block}")
    list(TRANSFORM names STRIP)
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# One subsection per command that takes no further command word, its help as it stands.
function(append_command_help file)
    help_of(text ${ARGN})
    commands_in(subcommands "${text}")
    if(subcommands)
        foreach(name IN LISTS subcommands)
            append_command_help(${file} ${ARGN} ${name})
        endforeach()
        return()
    endif()
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    string(REPLACE ";" " " command "tavshare ${ARGN}")
    file(APPEND ${file} ".SS \"${command}\"\n.nf\n${text}.fi\n")
endfunction()

get_filename_component(work ${OUTPUT} DIRECTORY)
set(include ${work}/tavshare-manpage.h2m)
configure_file(${INCLUDE} ${include} COPYONLY)
file(APPEND ${include} "\n[COMMANDS]\n")
help_of(top)
commands_in(commands "${top}")
foreach(name IN LISTS commands)
    append_command_help(${include} ${name})
endforeach()

execute_process(COMMAND ${HELP2MAN} --no-info --section=1 --version-string=${VERSION}
                    "--name=inspect and repair the state the Tavrelle applications share"
                    --include=${include} --output=${OUTPUT} ${TOOL}
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "help2man failed (${result}): ${error}")
endif()
