# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one golden case of zelvara-settle.
#   <case>.json      the sheet, given as the file argument and on standard input
#   <case>.expected  first line "exit N", then the exact standard output
#   <case>.args      optional: the arguments, one a line, @CASE@ standing for the sheet's path
#                    (default: --json @CASE@)
#   <case>.env       optional: VAR=value lines for the environment (default: LC_ALL=C)
#   <case>.stderr    optional: the exact standard error. Without it a run that exits 2 must say what is
#                    wrong on one line starting "zelvara-settle: ", and any other run must stay silent.
cmake_minimum_required(VERSION 3.25)

set(args --json @CASE@)
if(EXISTS ${CASE}.args)
    file(STRINGS ${CASE}.args args)
endif()
list(TRANSFORM args REPLACE "@CASE@" "${CASE}.json")

set(env LC_ALL=C)
if(EXISTS ${CASE}.env)
    file(STRINGS ${CASE}.env env)
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env ${env} ${PROGRAM} ${args}
                INPUT_FILE ${CASE}.json
                OUTPUT_VARIABLE out
                ERROR_VARIABLE err
                RESULT_VARIABLE status)

file(READ ${CASE}.expected expected)
string(FIND "${expected}" "\n" eol)
if(eol LESS 0)
    message(FATAL_ERROR "${CASE}.expected: the first line must be \"exit N\"")
endif()
string(SUBSTRING "${expected}" 0 ${eol} header)
math(EXPR bodyStart "${eol} + 1")
string(SUBSTRING "${expected}" ${bodyStart} -1 expectedOut)
if(NOT header MATCHES "^exit ([0-9]+)$")
    message(FATAL_ERROR "${CASE}.expected: the first line must be \"exit N\", not \"${header}\"")
endif()
set(expectedStatus ${CMAKE_MATCH_1})

set(failures "")
if(NOT status STREQUAL expectedStatus)
    string(APPEND failures "exit status ${status}, expected ${expectedStatus}\n")
endif()
if(NOT out STREQUAL expectedOut)
    file(MAKE_DIRECTORY ${ACTUAL})
    file(WRITE ${ACTUAL}/stdout "${out}")
    string(APPEND failures "standard output differs from ${CASE}.expected (saved in ${ACTUAL}/stdout):\n"
                           "--- expected\n${expectedOut}--- actual\n${out}")
endif()
if(EXISTS ${CASE}.stderr)
    file(READ ${CASE}.stderr expectedErr)
    if(NOT err STREQUAL expectedErr)
        string(APPEND failures "standard error differs:\n--- expected\n${expectedErr}--- actual\n${err}")
    endif()
elseif(expectedStatus EQUAL 2)
    if(NOT err MATCHES "^zelvara-settle: [^\n]+\n$")
        string(APPEND failures "standard error is not one line naming the fault:\n${err}")
    endif()
elseif(NOT err STREQUAL "")
    string(APPEND failures "unexpected standard error:\n${err}")
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
