# Common compile settings and the layer rules of the project.

add_library(ruva_warnings INTERFACE)
target_compile_options(ruva_warnings INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${RUVA_WERROR}>:-Werror>)

if(RUVA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_compile_definitions(RUVA_SANITIZE) # tests that measure memory skip themselves
    add_link_options(-fsanitize=address,undefined)
endif()

# Layer ranks: a library may link only libraries of a lower rank. Ranks below 4 are the core, where
# the boards (board) and the configuration files (cfgfile) stand side by side and neither links the
# other; rank 4 is the logic of the pages and dialogs that every front end shares; rank 5 the simulated
# boards, which the programs may use instead of the device. All of them are standard C++ only and can
# never see Qt: only the front end (app) may.
set(RUVA_LAYER_RANK_texts 0)
set(RUVA_LAYER_RANK_model 1)
set(RUVA_LAYER_RANK_platform 1)
set(RUVA_LAYER_RANK_board 2)
set(RUVA_LAYER_RANK_cfgfile 2)
set(RUVA_LAYER_RANK_pages 4)
set(RUVA_LAYER_RANK_sim 5)
set(RUVA_LAYER_RANK_app 6)
set(RUVA_LAYER_RANK_daemon 7)

# ruva_library(<target> <layer> <sources...>): a static library of one layer.
function(ruva_library target layer)
    if(NOT DEFINED RUVA_LAYER_RANK_${layer})
        message(FATAL_ERROR "ruva_library(${target}): unknown layer '${layer}'")
    endif()
    add_library(${target} STATIC ${ARGN})
    target_link_libraries(${target} PRIVATE ruva_warnings)
    set_target_properties(${target} PROPERTIES RUVA_LAYER ${layer} POSITION_INDEPENDENT_CODE ON)
    set_property(GLOBAL APPEND PROPERTY RUVA_LAYERED_TARGETS ${target})
endfunction()

# ruva_executable(<target> <sources...>): a program or test of the application layer.
function(ruva_executable target)
    add_executable(${target} ${ARGN})
    target_link_libraries(${target} PRIVATE ruva_warnings)
endfunction()

function(ruva_check_layers)
    get_property(targets GLOBAL PROPERTY RUVA_LAYERED_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(layer ${target} RUVA_LAYER)
        set(rank ${RUVA_LAYER_RANK_${layer}})
        get_target_property(public_libs ${target} INTERFACE_LINK_LIBRARIES)
        get_target_property(all_libs ${target} LINK_LIBRARIES)
        foreach(lib IN LISTS public_libs all_libs)
            if(NOT lib OR lib STREQUAL "ruva_warnings" OR lib MATCHES "^\\$<")
                continue()
            endif()
            if(rank LESS ${RUVA_LAYER_RANK_app} AND lib MATCHES "^Qt")
                message(FATAL_ERROR "${target} (layer ${layer}) must not link ${lib}: only the front end sees Qt")
            endif()
            if(TARGET ${lib})
                get_target_property(dep_layer ${lib} RUVA_LAYER)
                if(dep_layer)
                    set(dep_rank ${RUVA_LAYER_RANK_${dep_layer}})
                    if(NOT dep_rank LESS rank)
                        message(FATAL_ERROR
                            "${target} (layer ${layer}) must not link ${lib} (layer ${dep_layer}): "
                            "dependencies point down only")
                    endif()
                endif()
            endif()
        endforeach()
    endforeach()
endfunction()

# The header-only libraries CLI11 and nlohmann-json, as the targets CLI11::CLI11 and
# nlohmann_json::nlohmann_json. A Windows build takes the headers of the same Debian packages, but
# through a folder in the build tree that holds only their two header folders, so the host's
# /usr/include never reaches a Windows compile.
function(ruva_find_header_libraries)
    if(NOT CMAKE_CROSSCOMPILING)
        find_package(CLI11 REQUIRED)
        find_package(nlohmann_json 3 REQUIRED)
        return()
    endif()
    set(staged ${CMAKE_BINARY_DIR}/header-libraries)
    foreach(entry "CLI11::CLI11;CLI;CLI/CLI.hpp" "nlohmann_json::nlohmann_json;nlohmann;nlohmann/json.hpp")
        list(GET entry 0 target)
        list(GET entry 1 folder)
        list(GET entry 2 header)
        string(MAKE_C_IDENTIFIER "RUVA_HEADERS_${folder}" var)
        find_path(${var} ${header} PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
        if(NOT ${var})
            message(FATAL_ERROR "${header} not found: install the Debian package that provides it")
        endif()
        file(MAKE_DIRECTORY ${staged})
        file(CREATE_LINK ${${var}}/${folder} ${staged}/${folder} SYMBOLIC)
        add_library(${target} INTERFACE IMPORTED GLOBAL)
        set_target_properties(${target} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${staged}
                                                   INTERFACE_INCLUDE_DIRECTORIES ${staged})
    endforeach()
endfunction()
