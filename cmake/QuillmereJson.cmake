# nlohmann-json, header-only, found where Debian puts it (package nlohmann-json3-dev).
#
#   qlmr_use_nlohmann_json(<target> <PUBLIC|PRIVATE|INTERFACE>)
#
# For the Windows build it is reached through a link of its own in the build tree, so that no
# other header of the build machine's /usr/include comes before MinGW's.

include_guard(GLOBAL)

find_path(QLMR_NLOHMANN_JSON_ROOT nlohmann/json.hpp PATHS /usr/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QLMR_NLOHMANN_JSON_ROOT)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (make deps)")
endif()

# A global property, unlike a variable, reaches every folder that calls the function.
set_property(GLOBAL PROPERTY QLMR_NLOHMANN_JSON_INCLUDE "${CMAKE_BINARY_DIR}/json-include")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/json-include")
file(CREATE_LINK "${QLMR_NLOHMANN_JSON_ROOT}/nlohmann" "${CMAKE_BINARY_DIR}/json-include/nlohmann" SYMBOLIC)

function(qlmr_use_nlohmann_json target scope)
    get_property(include GLOBAL PROPERTY QLMR_NLOHMANN_JSON_INCLUDE)
    target_include_directories(${target} SYSTEM ${scope} "${include}")
endfunction()
