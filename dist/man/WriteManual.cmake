# cmake -DHELP2MAN=... -DPROGRAM=... -DINCLUDE=... -DVERSION=... -DOUTPUT=page.1.gz -P WriteManual.cmake
# A manual page from the program's own --help and a few hand-written sections (INCLUDE), so
# that the options are described in one place. help2man fills a "Commands:" list into one
# paragraph; it is kept a list, one command a line.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${HELP2MAN} --no-info --version-string=${VERSION} --include=${INCLUDE} ${PROGRAM}
    OUTPUT_VARIABLE page
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man ${PROGRAM} failed: ${status}")
endif()
string(FIND "${page}" ".SS \"Commands:\"\n.IP\n" commands)
if(NOT commands EQUAL -1)
    string(REPLACE ".SS \"Commands:\"\n.IP\n" ".SH COMMANDS\n.nf\n" page "${page}")
    string(REPLACE "\n.SH OPTIONS\n" "\n.fi\n.SH OPTIONS\n" page "${page}")
endif()
# A lower-case "usage:" line is not taken for the synopsis: the include gives that.
string(REGEX REPLACE "\n(\\.PP\n)?usage: [^\n]*\n" "\n" page "${page}")
string(REGEX REPLACE "\\.gz$" "" roff ${OUTPUT})
file(WRITE ${roff} "${page}")
# Debian's manual pages are compressed, without a name or time stamp inside.
execute_process(COMMAND gzip -9nf ${roff} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${roff} failed: ${status}")
endif()
