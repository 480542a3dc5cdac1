# The BIG-family archive library: reading, crash-safe editing and creating archives.
if(WIN32)
    set(viv_native_file_io ${CMAKE_CURRENT_SOURCE_DIR}/windows_file_io.cpp)
    set(viv_platform_tests ${CMAKE_CURRENT_SOURCE_DIR}/tests/windows_file_io_tests.cpp)
else()
    set(viv_native_file_io ${CMAKE_CURRENT_SOURCE_DIR}/posix_file_io.cpp)
    set(viv_platform_tests ${CMAKE_CURRENT_SOURCE_DIR}/tests/archive_kill_tests.cpp)
endif()
quenor_library(quenor_viv
    SOURCES
        ${CMAKE_CURRENT_SOURCE_DIR}/archive_create.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/archive_edit.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/archive_reader.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/big_archive.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/fault_file_io.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/file_io.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/free_space.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/memory_file_io.cpp
        ${viv_native_file_io}
        ${CMAKE_CURRENT_SOURCE_DIR}/viv_operations.cpp
    DEPS quenor_refpack
)

quenor_test(archive_tests
    SOURCES
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/archive_test_support.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/archive_format_tests.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/archive_fault_tests.cpp
        ${viv_platform_tests}
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/archive_damage_tests.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/tests/archive_directory_read_tests.cpp
    DEPS quenor_viv
)

quenor_fuzzer(archive_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/archive_fuzz.cpp
    DEPS quenor_viv CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/archive_corpus)
