# Runs the layering check over the committed fixtures, each with one kind of violation, and
# passes only when the check fails and names every one of them (and nothing that is allowed).
#   cmake -DFIXTURES=<folder> -P expect_violations.cmake
get_filename_component(FIXTURES "${FIXTURES}" ABSOLUTE)
execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${FIXTURES}/sources -DGRAPH=${FIXTURES}/link_graph.txt
            -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
    message(FATAL_ERROR "the check passed a tree with violations:\n${output}")
endif()
set(expected
    "lib/viv/archive_reader.h includes core/tool.h: lib/viv/ may not use core/"
    "lib/files/file_io.h includes the test helper lib/viv/tests/archive_test_support.h"
    "core/settings.cpp includes the test double core/testing/fake_clock.h"
    "tool/patch.cpp includes window/form.h: tool/ may not use window/"
    "tool/ and window/ include each other"
    "library quenor_viv (lib/viv) links quenor_core (core): lib/viv/ may not use core/"
    "library quenor_window links the test-double library quenor_core_testing"
    "shipped program quenor links the test double quenor_core_testing"
    "shipped program quenor contains libquenor_core_testing.a(fake_platform.cpp.o), a test double"
    "core/ and lib/ include each other"
    "11 violation"
)
foreach(text ${expected})
    string(FIND "${output}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the check did not report \"${text}\":\n${output}")
    endif()
endforeach()
foreach(allowed "window/form.h includes" "core_tests" "lib/viv/archive_reader.h includes lib/files")
    string(FIND "${output}" "${allowed}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "the check reported an allowed use (\"${allowed}\"):\n${output}")
    endif()
endforeach()
message(STATUS "the layering check found every violation of the fixtures")
