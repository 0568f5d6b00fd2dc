# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzz build on its own: the plain libraries of the repository (no windows, no Qt), every object
# instrumented for libFuzzer's coverage and built with address and undefined-behaviour sanitizers.
get_filename_component(zelvara_root ${CMAKE_CURRENT_SOURCE_DIR}/../.. ABSOLUTE)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()
include(GNUInstallDirs)

# The folders below read their include root and options from these, as under the root CMakeLists.txt.
set(PROJECT_SOURCE_DIR ${zelvara_root})
set(ZELVARA_BUILD_GUI OFF)
set(BUILD_TESTING OFF)

add_library(zelvara_warnings INTERFACE)
target_compile_options(zelvara_warnings INTERFACE -Wall -Wextra -Wpedantic)
add_library(zelvara_strict_warnings INTERFACE)
target_link_libraries(zelvara_strict_warnings INTERFACE zelvara_warnings)
target_compile_options(zelvara_strict_warnings INTERFACE -Wconversion -Wsign-conversion -Wshadow)

add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)

foreach(dir engine correction sheetfile app cli)
    if(EXISTS ${zelvara_root}/${dir}/CMakeLists.txt)
        add_subdirectory(${zelvara_root}/${dir} ${CMAKE_BINARY_DIR}/${dir})
    endif()
endforeach()
