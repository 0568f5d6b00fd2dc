# SPDX-License-Identifier: GPL-3.0-or-later
# zelvara-settle on input of megabytes. In a batch, a sheet padded with blanks settles like any other, a
# huge malformed line gets a short error line of its own, and a line over the 16 MiB limit gets an error
# line saying so, while the lines after each still settle. On its own, a sheet over the limit is refused.
#   cmake -DPROGRAM=... -DSHEET=examples/example1.json -DSCRATCH=dir -P huge_input.cmake
cmake_minimum_required(VERSION 3.25)

file(READ ${SHEET} sheet)
string(REGEX REPLACE "[\r\n]+" " " sheet "${sheet}")
string(STRIP "${sheet}" sheet)
string(LENGTH "${sheet}" length)
math(EXPR beforeBrace "${length} - 1")
string(SUBSTRING "${sheet}" 0 ${beforeBrace} opened)
string(REPEAT " " 4000000 blanks)
string(REPEAT "x" 2000000 letters)
# 17 MiB: one mebibyte over the limit.
string(REPEAT " " 17825792 overLimit)

file(MAKE_DIRECTORY ${SCRATCH})
set(input ${SCRATCH}/huge.jsonl)
# 1: the sheet with four million blanks before its closing brace; 2: a two-million-letter name broken by
# a tab, which JSON forbids inside a string; 3: the sheet again; 4: the sheet with 17 MiB of blanks;
# 5: the sheet again.
file(WRITE ${input} "${opened}${blanks}}\n{\"players\": 4, \"fields\": {\"NameOfP1For4\": \"${letters}\t\"}}\n${sheet}\n"
                    "${opened}${overLimit}}\n${sheet}\n")

execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${PROGRAM} --batch ${input}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)

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
if(NOT count EQUAL 5)
    string(APPEND failures "${count} output lines, expected 5\n")
else()
    list(GET lines 0 first)
    list(GET lines 1 second)
    list(GET lines 2 third)
    list(GET lines 3 fourth)
    list(GET lines 4 fifth)
    string(REGEX REPLACE "^{\"line\":1," "" firstBody "${first}")
    string(REGEX REPLACE "^{\"line\":3," "" thirdBody "${third}")
    string(REGEX REPLACE "^{\"line\":5," "" fifthBody "${fifth}")
    if(NOT first MATCHES "^{\"line\":1,\"results\":" OR NOT firstBody STREQUAL thirdBody
       OR NOT fifthBody STREQUAL thirdBody)
        string(APPEND failures "the padded sheet does not settle like the plain one:\n${first}${third}${fifth}")
    endif()
    string(LENGTH "${second}" secondLength)
    if(NOT second MATCHES "^{\"line\":2,\"error\":\"the input is not valid JSON: " OR secondLength GREATER 400)
        string(SUBSTRING "${second}" 0 400 shown)
        string(APPEND failures "line 2 is not a short error line (${secondLength} bytes): ${shown}\n")
    endif()
    set(tooLong "{\"line\":4,\"error\":\"the line is longer than 16 MiB, the most a sheet may take\"}\n")
    if(NOT fourth STREQUAL tooLong)
        string(SUBSTRING "${fourth}" 0 400 shown)
        string(APPEND failures "line 4 is not refused for its length: ${shown}\n")
    endif()
endif()

# The same 17 MiB sheet on its own.
file(WRITE ${input} "${opened}${overLimit}}\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${PROGRAM} --json ${input}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(REMOVE ${input})
if(NOT status STREQUAL "2" OR NOT out STREQUAL ""
   OR NOT err STREQUAL "zelvara-settle: ${input} is larger than 16 MiB, the most a sheet may take\n")
    string(APPEND failures "a sheet over the limit: exit ${status}, standard error: ${err}")
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
