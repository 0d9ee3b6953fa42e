# Registration of every test program, native and Windows alike.
#
#   qlmr_add_gtest(<target> [WINDOW])
#       Registers the GoogleTest cases of <target> with ctest. Natively each case is an entry of
#       its own, listed by running the program when ctest starts. A Windows program is one
#       entry, named after the target, that runs all its cases in one Wine process (a start
#       costs a second or two) inside the private prefix, after the "wine" fixture has started
#       a persistent wineserver; its output names each failed case. WINDOW marks a program that
#       opens windows, so it holds the display alone.
#
#   qlmr_use_test_data(<target>)
#       Defines QLMR_TEST_DATA_DIR, the tests/data folder as a narrow string literal in the
#       form the target's platform opens.

include_guard(GLOBAL)
include(GoogleTest)

set(QLMR_TEST_TIMEOUT 60 CACHE STRING "Time limit in seconds of one test case")
# The in-process watchdog ends a Windows case after this long; ctest's limit of a whole program
# allows that much for every case.
set(QLMR_TEST_CASE_SECONDS 30)

if(CMAKE_CROSSCOMPILING AND WIN32)
    set(QLMR_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix"
        CACHE PATH "Private Wine prefix of the Windows tests")
    find_program(QLMR_WINESERVER wineserver REQUIRED)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        message(FATAL_ERROR "Windows tests need CMAKE_CROSSCOMPILING_EMULATOR (wine)")
    endif()
    set(QLMR_WINE_ENVIRONMENT "WINEPREFIX=${QLMR_WINEPREFIX}" "WINEDEBUG=-all")
endif()

# Wine's helpers inherit the output pipes of whatever starts them, so a test that starts the
# first Wine process of a run waits for the server to linger out, or hangs. One persistent
# server for the whole run, started and ended outside any test's pipes, avoids both and makes
# each start ten times faster. The setup also builds the prefix if it is missing.
function(_qlmr_add_wine_fixture)
    get_property(done GLOBAL PROPERTY QLMR_WINE_FIXTURE_ADDED)
    if(done)
        return()
    endif()
    set_property(GLOBAL PROPERTY QLMR_WINE_FIXTURE_ADDED TRUE)

    set(wine "${CMAKE_CROSSCOMPILING_EMULATOR}")
    set(server "${QLMR_WINESERVER}")
    add_test(NAME wine.start
        COMMAND sh -c [["$1" "$2" </dev/null && { "$3" -k; "$3" -p && "$4" cmd /c exit; } </dev/null >/dev/null 2>&1]]
            sh "${Quillmere_SOURCE_DIR}/tools/wine-prefix.sh" "${QLMR_WINEPREFIX}" "${server}" "${wine}"
        WORKING_DIRECTORY "${CMAKE_BINARY_DIR}")
    add_test(NAME wine.stop
        COMMAND sh -c [["$1" -k </dev/null >/dev/null 2>&1; exit 0]] sh "${server}")
    set_tests_properties(wine.start PROPERTIES
        FIXTURES_SETUP wine TIMEOUT 300 ENVIRONMENT "${QLMR_WINE_ENVIRONMENT}")
    set_tests_properties(wine.stop PROPERTIES
        FIXTURES_CLEANUP wine TIMEOUT 60 ENVIRONMENT "${QLMR_WINE_ENVIRONMENT}")
endfunction()

function(qlmr_add_gtest target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "WINDOW" "" "")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "qlmr_add_gtest: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()

    if(NOT CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${target}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            PROPERTIES TIMEOUT ${QLMR_TEST_TIMEOUT})
        return()
    endif()

    _qlmr_add_wine_fixture()

    # The cases are counted from the sources, for the time limit only.
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(count 0)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.(cpp|cc|cxx)$")
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}")
            file(STRINGS "${source}" lines REGEX "^[ \t]*(TYPED_)?TEST(_F|_P)?\\(")
            list(LENGTH lines n)
            math(EXPR count "${count} + ${n}")
        endif()
    endforeach()
    if(count EQUAL 0)
        message(WARNING "qlmr_add_gtest: no test cases found in the sources of ${target}")
        return()
    endif()
    # The script ends the program a little before ctest would end the script, so that the
    # output, and the case that hung, still show.
    math(EXPR limit "60 + ${count} * ${QLMR_TEST_CASE_SECONDS}")
    math(EXPR timeout "${limit} + 20")

    add_test(NAME ${target}
        COMMAND sh "${Quillmere_SOURCE_DIR}/cmake/wine-test.sh"
            "${CMAKE_CURRENT_BINARY_DIR}/${target}.log" ${limit} "${CMAKE_CROSSCOMPILING_EMULATOR}"
            "$<TARGET_FILE:${target}>")
    set_tests_properties(${target} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT ${timeout}
        ENVIRONMENT "${QLMR_WINE_ENVIRONMENT};QLMR_TEST_CASE_SECONDS=${QLMR_TEST_CASE_SECONDS}")
    if(arg_WINDOW)
        set_tests_properties(${target} PROPERTIES RESOURCE_LOCK display)
    endif()
endfunction()

function(qlmr_use_test_data target)
    set(dir "${Quillmere_SOURCE_DIR}/tests/data")
    if(CMAKE_CROSSCOMPILING AND WIN32)
        # Wine maps the Unix root to drive Z:. Backslashes are doubled for the literal.
        string(REPLACE "/" "\\\\" dir "Z:${dir}")
    endif()
    target_compile_definitions(${target} PRIVATE "QLMR_TEST_DATA_DIR=\"${dir}\"")
endfunction()
