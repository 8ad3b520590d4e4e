# Installs the build into a fresh PREFIX and checks that every file of the program is there:
# cmake -DBUILD_DIR=<build> -DPREFIX=<directory> -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

include(GNUInstallDirs)
set(expected
    ${CMAKE_INSTALL_BINDIR}/ruvasetw
    ${CMAKE_INSTALL_BINDIR}/ruva2-sim
    ${CMAKE_INSTALL_BINDIR}/ruvacfg
    ${CMAKE_INSTALL_DATADIR}/applications/ruvasetw.desktop
    ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps/ruvasetw.png
    ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps/ruvasetw.png
    ${CMAKE_INSTALL_DATADIR}/ruvasetw/help/ruvasetw.html
    ${CMAKE_INSTALL_MANDIR}/man1/ruvacfg.1)
foreach(file IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
