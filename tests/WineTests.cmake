# Windows test programs run under Wine (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR), in a Wine prefix
# of this build folder. The fixture wine.prefix initialises it once and keeps its wineserver running
# between the programs; wine.stop ends it.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(STATUS "No Wine: the Windows tests are built but not run")
endif()
set(RUVA_WINE_ENV
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=
    # The tests' data, as Wine's drive Z: (the root of the host) shows it.
    RUVA_TEST_DATA=Z:${PROJECT_SOURCE_DIR}/tests/data)
if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME wine.prefix COMMAND ${CMAKE_COMMAND} -E env ${RUVA_WINE_ENV}
             sh ${CMAKE_CURRENT_SOURCE_DIR}/wine-prefix.sh start)
    add_test(NAME wine.stop COMMAND ${CMAKE_COMMAND} -E env ${RUVA_WINE_ENV}
             sh ${CMAKE_CURRENT_SOURCE_DIR}/wine-prefix.sh stop)
    set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# ruva_wine_test(<name> <target> [args...]): runs a Windows program as the ctest test <name>.
function(ruva_wine_test name target)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        return()
    endif()
    add_test(NAME ${name} COMMAND ${target} ${ARGN})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${RUVA_WINE_ENV}" FIXTURES_REQUIRED wine
                                            LABELS windows)
endfunction()
