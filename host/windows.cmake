# The platform services of a Windows build (included by CMakeLists.txt when building for
# Windows).
quenor_library(quenor_platform_windows
    SOURCES
        ${CMAKE_CURRENT_SOURCE_DIR}/windows_platform.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/virtual_store.cpp
    DEPS quenor_core quenor_digest
)

quenor_library(quenor_host
    SOURCES
        ${CMAKE_CURRENT_SOURCE_DIR}/host_platform_windows.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/screen_windows.cpp
    DEPS quenor_core quenor_platform_windows quenor_registry_windows
)

quenor_test(host_windows_tests
    SOURCES
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/windows_platform_test.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/windows_lock_test.cpp
    DEPS quenor_host quenor_tool_registry quenor_core_testing
)
if(QUENOR_BUILD_TESTS)
    # The second process of the lock test, beside the test program.
    add_executable(quenor-lock-holder ${CMAKE_CURRENT_SOURCE_DIR}/tests/lock_holder_windows.cpp)
    target_link_libraries(quenor-lock-holder PRIVATE quenor_build_flags quenor_files)
    target_link_options(quenor-lock-holder PRIVATE -municode)
    set_target_properties(quenor-lock-holder PROPERTIES QUENOR_ROLE test)
    add_dependencies(host_windows_tests quenor-lock-holder)
endif()

# Start-up as every program of the tool does it, before a window exists (toolkit-free).
quenor_library(quenor_start
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/start_quenor.cpp
    DEPS quenor_host quenor_window
)
