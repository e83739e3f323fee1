# cmake -DHELP2MAN=... -DPROGRAM=... -DINCLUDE=... -DVERSION=... -DOUTPUT=page.1.gz
#       [-DCOMMANDS=ON] -P WriteManual.cmake
# A manual page from the program's own --help and a few hand-written sections (INCLUDE), so
# that the options are described in one place. With COMMANDS, the program lists its commands
# with a line each; the page gets a COMMANDS section with each command's usage and whole
# description, as "PROGRAM help COMMAND" prints them. An "Exit status:" paragraph of the help
# becomes the EXIT STATUS section.
cmake_policy(VERSION 3.20)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${HELP2MAN} --no-info --version-string=${VERSION} --include=${INCLUDE} ${PROGRAM}
    OUTPUT_VARIABLE page
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man ${PROGRAM} failed: ${status}")
endif()

# TEXT as roff text: backslashes and hyphens escaped, no line read as a request.
function(roff_text text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(COMMANDS)
    execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
    endif()
    string(REGEX MATCH "\nCommands:\n[^\n]+(\n  [^\n]+)*" list "${help}")
    string(REGEX MATCHALL "\n  [a-z-]+( [a-z-]+)?  " names "${list}")
    set(section ".SH COMMANDS\n")
    foreach(name IN LISTS names)
        string(STRIP "${name}" name)
        if(name STREQUAL "help")
            continue()
        endif()
        separate_arguments(words UNIX_COMMAND "${name}")
        execute_process(COMMAND ${PROGRAM} help ${words} OUTPUT_VARIABLE text RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${PROGRAM} help ${name} failed: ${status}")
        endif()
        # "Usage: USAGE", a blank line, the description, a blank line, the options.
        string(REGEX MATCH "^Usage: ([^\n]*)\n\n(.*)" parts "${text}")
        set(usage "${CMAKE_MATCH_1}")
        string(FIND "${CMAKE_MATCH_2}" "\n\n" end)
        string(SUBSTRING "${CMAKE_MATCH_2}" 0 ${end} description)
        string(REPLACE "\n" " " description "${description}")
        roff_text("${usage}" usage)
        roff_text("${description}" description)
        string(APPEND section ".TP\n.B ${usage}\n${description}\n")
    endforeach()
    # The one-line list gives way to the whole section, before the options.
    string(REGEX REPLACE "\\.SS \"Commands:\"\n.*\n\\.SH OPTIONS\n" "@COMMANDS@.SH OPTIONS\n"
           page "${page}")
    string(REPLACE "@COMMANDS@" "${section}" page "${page}")
endif()
string(REPLACE "\n.PP\nExit status: " "\n.SH \"EXIT STATUS\"\n" page "${page}")
# A lower-case "usage:" line is not taken for the synopsis: the include gives that.
string(REGEX REPLACE "\n(\\.PP\n)?usage: [^\n]*\n" "\n" page "${page}")
string(REGEX REPLACE "\\.gz$" "" roff ${OUTPUT})
file(WRITE ${roff} "${page}")
# Debian's manual pages are compressed, without a name or time stamp inside.
execute_process(COMMAND gzip -9nf ${roff} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${roff} failed: ${status}")
endif()
