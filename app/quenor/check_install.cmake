# Installs the build into a scratch folder and checks that the programs, their manual pages,
# the desktop entry and the icon land where desktops and man look for them.
#   cmake -DBUILD_DIR=... -DSCRATCH=... -P check_install.cmake
file(REMOVE_RECURSE ${SCRATCH})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${SCRATCH}
            ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result})")
endif()
foreach(path usr/bin/quenor usr/bin/quenorctl usr/bin/quenor-viv
        usr/share/man/man1/quenorctl.1.gz usr/share/man/man1/quenor-viv.1.gz
        usr/share/man/man1/quenor.1.gz
        usr/share/applications/quenor.desktop usr/share/icons/hicolor/32x32/apps/quenor.png)
    if(NOT EXISTS ${SCRATCH}/${path})
        message(FATAL_ERROR "not installed: /${path}")
    endif()
endforeach()
file(READ ${SCRATCH}/usr/share/applications/quenor.desktop entry)
if(NOT entry MATCHES "\nExec=quenor\n" OR NOT entry MATCHES "\nIcon=quenor\n")
    message(FATAL_ERROR "the desktop entry does not start the installed quenor with its icon")
endif()
# The icon must be a 32 x 32 PNG: its IHDR chunk holds the width and height.
file(READ ${SCRATCH}/usr/share/icons/hicolor/32x32/apps/quenor.png header LIMIT 24 HEX)
if(NOT header MATCHES "^89504e470d0a1a0a0000000d494844520000002000000020")
    message(FATAL_ERROR "the installed icon is not a 32 x 32 PNG: ${header}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
