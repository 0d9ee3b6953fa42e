# Registration of every test program, native and Windows alike.
#
#   qlmr_add_gtest(<target> [WINDOW])
#       Registers the GoogleTest cases of <target> with ctest. Natively the cases are listed by
#       running the program when ctest starts. Windows programs run under Wine inside the
#       private prefix, after the "wine" fixture has started a persistent wineserver; WINDOW
#       marks a program that opens windows, so it holds the display alone.
#
#   qlmr_use_test_data(<target>)
#       Defines QLMR_TEST_DATA_DIR, the tests/data folder as a narrow string literal in the
#       form the target's platform opens.

include_guard(GLOBAL)
include(GoogleTest)

set(QLMR_TEST_TIMEOUT 60 CACHE STRING "Time limit in seconds of one test case")

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

    # Listing the cases through Wine when ctest starts would run before the fixture, in
    # whatever prefix the caller has; the cases are read from the sources instead.
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(cpp_sources)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.(cpp|cc|cxx)$")
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}")
            list(APPEND cpp_sources "${source}")
        endif()
    endforeach()
    gtest_add_tests(TARGET ${target} SOURCES ${cpp_sources} TEST_LIST cases)
    if(NOT cases)
        message(WARNING "qlmr_add_gtest: no test cases found in the sources of ${target}")
        return()
    endif()
    set_tests_properties(${cases} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT ${QLMR_TEST_TIMEOUT}
        ENVIRONMENT "${QLMR_WINE_ENVIRONMENT}")
    if(arg_WINDOW)
        set_tests_properties(${cases} PROPERTIES RESOURCE_LOCK display)
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
