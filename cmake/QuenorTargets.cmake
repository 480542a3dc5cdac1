# Common compile settings for every target of the project.
add_library(quenor_build_flags INTERFACE)
# Warnings beyond -Wall -Wextra: shadowed names, C-style and useless casts, casts that drop
# const, hidden overloads and base classes without virtual destructors.
target_compile_options(quenor_build_flags INTERFACE -Wall -Wextra -Wpedantic
    -Wshadow -Wold-style-cast -Wcast-qual -Woverloaded-virtual -Wnon-virtual-dtor)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(quenor_build_flags INTERFACE -Wuseless-cast)
endif()
# No build folder in what is built (file names in messages and debug information), so that the
# same source gives the same programs wherever it is built.
target_compile_options(quenor_build_flags INTERFACE
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
if(QUENOR_WERROR)
    target_compile_options(quenor_build_flags INTERFACE -Werror)
endif()
if(QUENOR_SANITIZE)
    target_compile_options(quenor_build_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(quenor_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# Hardening of optimised Linux builds, as Debian builds its packages: checked buffer
# functions, stack protection and read-only relocations. (Binding every symbol at start,
# -z now, is left out: it would slow the window's start-up for every player.)
if(NOT WIN32 AND NOT QUENOR_SANITIZE AND NOT QUENOR_BUILD_FUZZERS)
    target_compile_definitions(quenor_build_flags INTERFACE
        $<$<CONFIG:Release,RelWithDebInfo>:_FORTIFY_SOURCE=2>)
    target_compile_options(quenor_build_flags INTERFACE -fstack-protector-strong)
    target_link_options(quenor_build_flags INTERFACE LINKER:-z,relro)
endif()

if(QUENOR_BUILD_FUZZERS AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Instrument every library for coverage so the fuzzers see into them; undefined behaviour
    # stops the run like a crash, so that it is a finding and not a printed line.
    target_compile_options(quenor_build_flags INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    target_link_options(quenor_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# quenor_library(NAME SOURCES... [DEPS ...]): a static library of the tool.
function(quenor_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC quenor_build_flags ${ARG_DEPS})
endfunction()

# quenor_shipped_program(TARGET): marks a program the packages carry. Its linker writes a map
# of what it took from each library (<program>.map beside it), in which the layering check
# proves that it holds no test double.
function(quenor_shipped_program target)
    set_target_properties(${target} PROPERTIES QUENOR_ROLE shipped)
    target_link_options(${target} PRIVATE "LINKER:-Map=$<TARGET_FILE:${target}>.map")
endfunction()

# quenor_test(NAME SOURCES... [DEPS ...]): a GoogleTest program registered with CTest.
function(quenor_test name)
    if(NOT QUENOR_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES QUENOR_ROLE test)
    target_link_libraries(${name} PRIVATE quenor_build_flags ${ARG_DEPS} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QUENOR_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# quenor_fuzzer(NAME SOURCE file DEPS ... CORPUS dir...): a fuzz target defining
# LLVMFuzzerTestOneInput. With QUENOR_BUILD_FUZZERS and clang it builds NAME as a libFuzzer
# program (listed in fuzz_targets.txt of the build folder for scripts/fuzz.sh); with tests on
# it always builds NAME_replay, which CTest runs over the corpus folders.
function(quenor_fuzzer name)
    cmake_parse_arguments(ARG "" "SOURCE;MAX_LEN" "DEPS;CORPUS" ${ARGN})
    if(QUENOR_BUILD_FUZZERS AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        add_executable(${name} ${ARG_SOURCE})
        set_target_properties(${name} PROPERTIES QUENOR_ROLE test)
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${name} PRIVATE quenor_build_flags ${ARG_DEPS})
        # scripts/fuzz.sh finds every target, its program and its committed corpus here.
        list(JOIN ARG_CORPUS "," corpora)
        set_property(GLOBAL APPEND PROPERTY QUENOR_FUZZ_TARGETS
            "${name}|$<TARGET_FILE:${name}>|${corpora}|${ARG_MAX_LEN}")
    endif()
    if(QUENOR_BUILD_TESTS)
        add_executable(${name}_replay ${ARG_SOURCE}
            ${PROJECT_SOURCE_DIR}/tests/support/fuzz_replay_main.cpp)
        set_target_properties(${name}_replay PROPERTIES QUENOR_ROLE test)
        target_link_libraries(${name}_replay PRIVATE quenor_build_flags ${ARG_DEPS})
        add_test(NAME ${name}_corpus COMMAND ${name}_replay ${ARG_CORPUS})
    endif()
endfunction()
