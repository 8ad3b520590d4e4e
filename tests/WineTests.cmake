# Windows test programs run under Wine (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR), in a Wine prefix
# of this build folder: wineprefix, and wineprefix-winxp, whose Windows version is XP (32-bit: XP SP3;
# 64-bit: XP x64), for the tests that also run there (ruva_wine_xp_test). Wine loads a program there
# whatever it imports: the import tests check that. The fixtures wine and wine_xp (tests wine.prefix,
# wine.prefix_winxp) initialise a prefix once and keep its wineserver running between the programs;
# wine.stop and wine.stop_winxp end it.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(STATUS "No Wine: the Windows tests are built but not run")
endif()
set(RUVA_WINE_ENV
    WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=
    # The tests' data, as Wine's drive Z: (the root of the host) shows it.
    RUVA_TEST_DATA=Z:${PROJECT_SOURCE_DIR}/tests/data)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(RUVA_WINE_XP_ENV ${RUVA_WINE_ENV} RUVA_WINE_VERSION=winxp64)
else()
    set(RUVA_WINE_XP_ENV ${RUVA_WINE_ENV} RUVA_WINE_VERSION=winxp WINEARCH=win32) # Wine's XP is 32-bit only
endif()
# The 32-bit build's default prefix is a 32-bit Windows too, as on the boards' PCs: there its kernel
# services (the stand-in driver) are 32-bit.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND RUVA_WINE_ENV WINEARCH=win32)
endif()
list(APPEND RUVA_WINE_ENV WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix)
list(APPEND RUVA_WINE_XP_ENV WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-winxp)
if(CMAKE_CROSSCOMPILING_EMULATOR)
    foreach(step start stop)
        string(REPLACE start prefix name ${step})
        add_test(NAME wine.${name} COMMAND ${CMAKE_COMMAND} -E env ${RUVA_WINE_ENV}
                 sh ${CMAKE_CURRENT_SOURCE_DIR}/wine-prefix.sh ${step})
        add_test(NAME wine.${name}_winxp COMMAND ${CMAKE_COMMAND} -E env ${RUVA_WINE_XP_ENV}
                 sh ${CMAKE_CURRENT_SOURCE_DIR}/wine-prefix.sh ${step})
    endforeach()
    set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
    set_tests_properties(wine.prefix_winxp PROPERTIES FIXTURES_SETUP wine_xp TIMEOUT 300)
    set_tests_properties(wine.stop_winxp PROPERTIES FIXTURES_CLEANUP wine_xp)
endif()

# ruva_wine_xp_test(<name> COMMAND <command...> [PROPERTIES <properties...>]): a test in the XP prefix.
function(ruva_wine_xp_test name)
    cmake_parse_arguments(ARG "" "" "COMMAND;PROPERTIES" ${ARGN})
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        add_test(NAME ${name} COMMAND ${ARG_COMMAND})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${RUVA_WINE_XP_ENV}" FIXTURES_REQUIRED wine_xp
                                                LABELS windows ${ARG_PROPERTIES})
    endif()
endfunction()

# ruva_wine_test(<name> <target> [args...]): runs a Windows program as the ctest test <name>.
function(ruva_wine_test name target)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        return()
    endif()
    add_test(NAME ${name} COMMAND ${target} ${ARGN})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${RUVA_WINE_ENV}" FIXTURES_REQUIRED wine
                                            LABELS windows)
endfunction()
