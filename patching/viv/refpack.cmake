# RefPack (QFS) compression: the codec, its tests and its fuzz target.
quenor_library(quenor_refpack SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/refpack_header.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/refpack_decode.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/refpack_match_finder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/refpack_encode.cpp)

# The cross-check runs Node.js next to the tests, which a Windows build under Wine has not.
if(WIN32)
    set(refpack_crosscheck_tests "")
else()
    set(refpack_crosscheck_tests ${CMAKE_CURRENT_SOURCE_DIR}/tests/refpack_node_crosscheck_tests.cpp)
endif()
quenor_test(refpack_tests SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/refpack_test_support.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/refpack_decode_tests.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/refpack_encode_tests.cpp
    ${refpack_crosscheck_tests}
    DEPS quenor_refpack)

quenor_fuzzer(refpack_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/refpack_fuzz.cpp
    DEPS quenor_refpack CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/refpack_corpus)
