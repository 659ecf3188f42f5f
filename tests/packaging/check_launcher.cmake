cmake_minimum_required(VERSION 3.22)

# Runs the installed zentab-launcher with a stand-in `zentab` first in PATH
# that prints the folder it was started in and its arguments, and checks the
# data folder it picks, the first-use copy of the sample model list and that
# an operator's own Models.Dat is never replaced.
#   cmake -DROOT=<stage>/usr -DSCRATCH=<folder to use and remove> -P check_launcher.cmake
#
# The launcher is copied with the sample into a scratch tree of the same shape,
# so that this test may add or remove the sample without touching the stage.

set(findings "")
macro(finding text)
    list(APPEND findings "${text}")
endmacro()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/usr/bin" "${SCRATCH}/usr/share/zentab" "${SCRATCH}/fakebin")
file(COPY "${ROOT}/bin/zentab-launcher" DESTINATION "${SCRATCH}/usr/bin")
set(sample "${SCRATCH}/usr/share/zentab/Models.Dat")

file(WRITE "${SCRATCH}/fakebin/zentab" [=[#!/bin/sh
pwd -P
for a in "$@"; do echo "arg:$a"; done
]=])
file(CHMOD "${SCRATCH}/fakebin/zentab" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Runs the launcher with HOME and XDG_DATA_HOME as given ("" leaves
# XDG_DATA_HOME unset); sets run_rc, run_cwd (the stand-in's folder), run_args
# and run_err in the caller.
function(run_launcher home xdg_data_home)
    set(env --unset=XDG_DATA_HOME "HOME=${home}")
    if(NOT xdg_data_home STREQUAL "")
        list(APPEND env "XDG_DATA_HOME=${xdg_data_home}")
    endif()
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env ${env} "PATH=${SCRATCH}/fakebin:$ENV{PATH}"
                "${SCRATCH}/usr/bin/zentab-launcher" -style fusion
        WORKING_DIRECTORY "${SCRATCH}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
        OUTPUT_STRIP_TRAILING_WHITESPACE TIMEOUT 60)
    string(REPLACE "\n" ";" lines "${out}")
    set(cwd "")
    set(args "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^arg:(.*)$")
            list(APPEND args "${CMAKE_MATCH_1}")
        elseif(cwd STREQUAL "")
            set(cwd "${line}")
        endif()
    endforeach()
    set(run_rc "${rc}" PARENT_SCOPE)
    set(run_cwd "${cwd}" PARENT_SCOPE)
    set(run_args "${args}" PARENT_SCOPE)
    set(run_err "${err}" PARENT_SCOPE)
endfunction()

# Checks that the last run started zentab in `dir`, with the arguments given.
macro(expect_started_in case dir)
    if(NOT run_rc EQUAL 0)
        finding("${case}: the launcher failed (${run_rc}): ${run_err}")
    elseif(NOT IS_DIRECTORY "${dir}")
        finding("${case}: the data folder ${dir} was not created")
    else()
        file(REAL_PATH "${dir}" real_dir)
        if(NOT run_cwd STREQUAL real_dir)
            finding("${case}: zentab was started in '${run_cwd}', not in ${real_dir}")
        endif()
        if(NOT run_args STREQUAL "-style;fusion")
            finding("${case}: zentab got the arguments '${run_args}' instead of the launcher's")
        endif()
    endif()
endmacro()

macro(expect_content case file expected)
    if(NOT EXISTS "${file}")
        finding("${case}: ${file} does not exist")
    else()
        file(READ "${file}" actual)
        if(NOT actual STREQUAL "${expected}")
            finding("${case}: ${file} holds '${actual}' instead of '${expected}'")
        endif()
    endif()
endmacro()

# --- No sample installed: zentab still starts, in an empty data folder ----
file(REMOVE "${sample}")
run_launcher("${SCRATCH}/home 0" "")
set(data "${SCRATCH}/home 0/.local/share/zentab")
expect_started_in("without a sample" "${data}")
if(EXISTS "${data}/Models.Dat")
    finding("without a sample: a Models.Dat appeared in the data folder")
endif()

# --- First use: the installed sample is copied --------------------------
# The real sample where the stage has one, else a stand-in of the same kind.
if(EXISTS "${ROOT}/share/zentab/Models.Dat")
    file(COPY "${ROOT}/share/zentab/Models.Dat" DESTINATION "${SCRATCH}/usr/share/zentab")
else()
    file(WRITE "${sample}" "Zentab stand-in sample\r\n51TEST\r\n")
endif()
file(READ "${sample}" sample_text)

set(home "${SCRATCH}/home 1")
set(data "${home}/.local/share/zentab")
run_launcher("${home}" "")
expect_started_in("first use" "${data}")
expect_content("first use" "${data}/Models.Dat" "${sample_text}")
file(GLOB partial "${data}/.Models.Dat.*")
if(partial)
    finding("first use: the copy left ${partial} behind")
endif()

# --- The operator's own list is never replaced ----------------------------
file(WRITE "${data}/Models.Dat" "the operator's own list\n")
run_launcher("${home}" "")
expect_started_in("operator's list" "${data}")
expect_content("operator's list" "${data}/Models.Dat" "the operator's own list\n")

# A link named Models.Dat is the operator's too, even when it leads nowhere:
# copying through it would create a file somewhere else.
file(REMOVE "${data}/Models.Dat")
file(CREATE_LINK "${SCRATCH}/elsewhere/Models.Dat" "${data}/Models.Dat" SYMBOLIC)
run_launcher("${home}" "")
expect_started_in("dangling link" "${data}")
if(NOT IS_SYMLINK "${data}/Models.Dat" OR EXISTS "${SCRATCH}/elsewhere")
    finding("dangling link: the launcher replaced the link or wrote through it")
endif()

# --- XDG_DATA_HOME: used when absolute, ignored when relative ------------
set(xdg "${SCRATCH}/xdg data")
run_launcher("${SCRATCH}/home 2" "${xdg}")
expect_started_in("absolute XDG_DATA_HOME" "${xdg}/zentab")
expect_content("absolute XDG_DATA_HOME" "${xdg}/zentab/Models.Dat" "${sample_text}")
if(EXISTS "${SCRATCH}/home 2/.local/share/zentab")
    finding("absolute XDG_DATA_HOME: a data folder was also made under HOME")
endif()

run_launcher("${SCRATCH}/home 3" "relative")
expect_started_in("relative XDG_DATA_HOME" "${SCRATCH}/home 3/.local/share/zentab")
if(EXISTS "${SCRATCH}/relative")
    finding("relative XDG_DATA_HOME: the launcher used it relative to its working folder")
endif()

# --- A data folder that cannot be made: say so, do not start zentab ------
file(WRITE "${SCRATCH}/not a folder" "")
run_launcher("${SCRATCH}/not a folder" "")
if(run_rc EQUAL 0 OR NOT run_cwd STREQUAL "")
    finding("unusable data folder: zentab was started anyway (exit ${run_rc}, in '${run_cwd}')")
elseif(NOT run_err MATCHES "data folder")
    finding("unusable data folder: the launcher did not name the problem: ${run_err}")
endif()

file(REMOVE_RECURSE "${SCRATCH}")
if(findings)
    list(JOIN findings "\n  " text)
    message(FATAL_ERROR "zentab-launcher:\n  ${text}")
endif()
