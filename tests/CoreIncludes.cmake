# Fails when a file of the Qt-free core (the sources of r7core and r7ctlcore and the
# headers beside them) includes a Qt header or a file of the UI folders app/ and
# pages/: the core must build and run without a display.
# Called with -DSOURCES="<list>" (absolute paths).
set(offences "")
foreach(source IN LISTS SOURCES)
    get_filename_component(dir "${source}" DIRECTORY)
    get_filename_component(stem "${source}" NAME_WE)
    foreach(file "${source}" "${dir}/${stem}.h")
        if(NOT EXISTS "${file}")
            continue()
        endif()
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q|app/|pages/)")
        foreach(line IN LISTS includes)
            string(APPEND offences "\n  ${file}: ${line}")
        endforeach()
    endforeach()
endforeach()
if(offences)
    message(FATAL_ERROR "Core files include Qt or UI files:${offences}")
endif()
