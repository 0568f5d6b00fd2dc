# SPDX-License-Identifier: GPL-3.0-or-later
# zelvara-settle --batch on lines of several megabytes: a sheet padded with blanks settles like any other,
# and a huge malformed line gets a short error line of its own while the lines after it still settle.
#   cmake -DPROGRAM=... -DSHEET=examples/example1.json -DSCRATCH=dir -P batch_huge_line.cmake
cmake_minimum_required(VERSION 3.25)

file(READ ${SHEET} sheet)
string(REGEX REPLACE "[\r\n]+" " " sheet "${sheet}")
string(STRIP "${sheet}" sheet)
string(LENGTH "${sheet}" length)
math(EXPR beforeBrace "${length} - 1")
string(SUBSTRING "${sheet}" 0 ${beforeBrace} opened)
string(REPEAT " " 4000000 blanks)
string(REPEAT "x" 2000000 letters)

file(MAKE_DIRECTORY ${SCRATCH})
set(input ${SCRATCH}/huge.jsonl)
# 1: the sheet with four million blanks before its closing brace; 2: a two-million-letter name broken by
# a tab, which JSON forbids inside a string; 3: the sheet again.
file(WRITE ${input} "${opened}${blanks}}\n{\"players\": 4, \"fields\": {\"NameOfP1For4\": \"${letters}\t\"}}\n${sheet}\n")

execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${PROGRAM} --batch ${input}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(REMOVE ${input})

set(failures "")
if(NOT status STREQUAL "4")
    string(APPEND failures "exit status ${status}, expected 4 (a line did not settle)\n")
endif()
if(NOT err STREQUAL "")
    string(APPEND failures "unexpected standard error: ${err}\n")
endif()
string(REPLACE ";" "<semicolon>" listable "${out}") # a semicolon would split a CMake list
string(REGEX MATCHALL "[^\n]*\n" lines "${listable}")
list(LENGTH lines count)
if(NOT count EQUAL 3)
    string(APPEND failures "${count} output lines, expected 3\n")
else()
    list(GET lines 0 first)
    list(GET lines 1 second)
    list(GET lines 2 third)
    string(REGEX REPLACE "^{\"line\":1," "" firstBody "${first}")
    string(REGEX REPLACE "^{\"line\":3," "" thirdBody "${third}")
    if(NOT first MATCHES "^{\"line\":1,\"results\":" OR NOT firstBody STREQUAL thirdBody)
        string(APPEND failures "the padded sheet does not settle like the plain one:\n${first}${third}")
    endif()
    string(LENGTH "${second}" secondLength)
    if(NOT second MATCHES "^{\"line\":2,\"error\":\"the input is not valid JSON: " OR secondLength GREATER 400)
        string(SUBSTRING "${second}" 0 400 shown)
        string(APPEND failures "line 2 is not a short error line (${secondLength} bytes): ${shown}\n")
    endif()
endif()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
