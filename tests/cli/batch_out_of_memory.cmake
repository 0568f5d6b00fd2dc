# SPDX-License-Identifier: GPL-3.0-or-later
# zelvara-settle --batch under a memory limit that leaves room for sheets but not for a line of 12 MiB:
# the line that cannot be held cannot be read, which is an error (a message naming the file, exit status
# 2), never the end of the input with the lines after it settled as if nothing were lost.
#   cmake -DPROGRAM=... -DSHEET=examples/example1.json -DSCRATCH=dir -P batch_out_of_memory.cmake
cmake_minimum_required(VERSION 3.25)

file(READ ${SHEET} sheet)
string(REGEX REPLACE "[\r\n]+" " " sheet "${sheet}")
string(STRIP "${sheet}" sheet)
string(LENGTH "${sheet}" length)
math(EXPR beforeBrace "${length} - 1")
string(SUBSTRING "${sheet}" 0 ${beforeBrace} opened)
string(REPEAT " " 12582912 blanks)

file(MAKE_DIRECTORY ${SCRATCH})
set(small ${SCRATCH}/small.jsonl)
set(huge ${SCRATCH}/huge.jsonl)
file(WRITE ${small} "${sheet}\n")
file(WRITE ${huge} "${opened}${blanks}}\n")

# About 24 MB of address space: the program and its sheets take a third of it.
set(limit "ulimit -v 24000 && exec \"$0\" --batch \"$@\"")
execute_process(COMMAND sh -c "${limit}" ${PROGRAM} ${small} OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status)
set(failures "")
if(NOT status STREQUAL "0" OR NOT out MATCHES "^{\"line\":1,\"results\":")
    string(APPEND failures "under the limit a plain batch does not settle (exit ${status}): ${out}${err}\n")
endif()

execute_process(COMMAND sh -c "${limit}" ${PROGRAM} ${huge} ${small} OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status)
file(REMOVE ${small} ${huge})
if(NOT status STREQUAL "2" OR NOT err STREQUAL "zelvara-settle: cannot read ${huge}: Cannot allocate memory\n")
    string(APPEND failures "a line that does not fit in memory: exit ${status}, standard error: ${err}\n")
endif()
if(NOT out STREQUAL "")
    string(APPEND failures "the batch went on after a line it could not read: ${out}\n")
endif()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
