# cmake -D FUZZER=<fuzz target> -D INPUT_DIRS=<dir;dir> -P replay.cmake
# Runs the fuzz target once over every file under INPUT_DIRS, without fuzzing. Given files
# rather than folders, libFuzzer only executes them; given nothing it would start fuzzing.
set(inputs)
foreach(dir IN LISTS INPUT_DIRS)
    if(IS_DIRECTORY "${dir}")
        file(GLOB_RECURSE found LIST_DIRECTORIES false "${dir}/*")
        list(APPEND inputs ${found})
    endif()
endforeach()
list(LENGTH inputs count)
if(count EQUAL 0)
    message(STATUS "replay: no inputs under ${INPUT_DIRS}")
    return()
endif()
list(SORT inputs)

execute_process(COMMAND "${FUZZER}" ${inputs} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "replay: ${FUZZER} failed (${result}) on one of ${count} inputs")
endif()
message(STATUS "replay: ${count} inputs, no failure")
