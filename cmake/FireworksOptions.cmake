# SPDX-License-Identifier: GPL-3.0-or-later
# Every build option of the project, and the one helper that applies them to a target.
option(FIREWORKS_WERROR "Treat compiler warnings as errors" OFF)
option(FIREWORKS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(FIREWORKS_TSAN "Build with ThreadSanitizer" OFF)
option(FIREWORKS_BUILD_TESTS "Build the test suites" ON)
option(FIREWORKS_BUILD_BENCHMARKS "Build the benchmarks" ON)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

if(FIREWORKS_SANITIZE)
    # Applied to everything, so that libraries and tests agree on the runtime.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(FIREWORKS_TSAN)
    if(FIREWORKS_SANITIZE)
        message(FATAL_ERROR "FIREWORKS_TSAN and FIREWORKS_SANITIZE cannot be combined")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

function(fireworks_target_settings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align
                                             -Woverloaded-virtual -Wnull-dereference)
    if(FIREWORKS_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Programs and the media files they read live side by side in one folder of the build.
include(GNUInstallDirs)
set(FIREWORKS_BIN_DIR ${PROJECT_BINARY_DIR}/bin)
# Where `install` puts the media, below the prefix; the window-system layer answers the media-folder
# query with the full path for the configured prefix.
set(FIREWORKS_DATA_SUBDIR ${CMAKE_INSTALL_DATADIR}/fireworks)
set(FIREWORKS_INSTALL_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/fireworks)

# fireworks_program(<target> [INSTALL]): a program of the project, built into FIREWORKS_BIN_DIR; only
# the ones for users (INSTALL) are installed, the developers' tools stay in the build.
function(fireworks_program target)
    cmake_parse_arguments(ARG "INSTALL" "" "" ${ARGN})
    fireworks_target_settings(${target})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${FIREWORKS_BIN_DIR})
    if(ARG_INSTALL)
        install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endfunction()

# The desktop's name for the show: the desktop entry, the metainfo and the icons are named after it.
set(FIREWORKS_APP_ID io.github.nightsea.Fireworks)
