# SPDX-License-Identifier: GPL-3.0-or-later
# After "--" every word names a file: "zelvara-settle -- -" settles the file named "-", not standard input.
#   cmake -DPROGRAM=... -DSHEET=examples/example1.json -DSCRATCH=dir -P dash_file.cmake
cmake_minimum_required(VERSION 3.25)

file(MAKE_DIRECTORY ${SCRATCH})
file(COPY_FILE ${SHEET} ${SCRATCH}/-)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${PROGRAM} --json -- -
                WORKING_DIRECTORY ${SCRATCH} INPUT_FILE /dev/null
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(REMOVE ${SCRATCH}/-)
if(NOT status STREQUAL "0" OR NOT out MATCHES "\"results\"" OR NOT err STREQUAL "")
    message(FATAL_ERROR "the file named \"-\" was not settled: exit ${status}\n${out}${err}")
endif()
