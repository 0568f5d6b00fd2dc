# SPDX-License-Identifier: GPL-3.0-or-later
# Settles one example sheet with zelvara-settle. It must end as its output says: exit 0 with results,
# or exit 3 with the correction dialog that opened, and nothing on standard error. A crash after
# printing fails it.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${PROGRAM} --json ${EXAMPLE}
                OUTPUT_VARIABLE out
                ERROR_VARIABLE err
                RESULT_VARIABLE status)

if(out MATCHES "\"results\": ")
    set(expected 0)
elseif(out MATCHES "\"dialog\": ")
    set(expected 3)
else()
    message(FATAL_ERROR "neither results nor a dialog (exit status ${status}):\n${out}${err}")
endif()
if(NOT status STREQUAL expected)
    message(FATAL_ERROR "exit status ${status}, expected ${expected}:\n${out}${err}")
endif()
if(NOT err STREQUAL "")
    message(FATAL_ERROR "unexpected standard error:\n${err}")
endif()
