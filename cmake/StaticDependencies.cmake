# Programs that need nothing of the system but the C library: quenorctl and quenor-viv of the
# portable bundle, which launchers start with their own LD_LIBRARY_PATH and LD_PRELOAD (Steam,
# Flatpak sandboxes), and which must run on systems that have no yaml-cpp, no OpenSSL of the
# same version and an older libstdc++.
#
# The libraries the tool links from the system (yaml-cpp, libcrypto, libxcb) are reached through
# quenor_yaml_cpp, quenor_crypto and quenor_xcb_randr. A program marked with quenor_link_statically() gets their
# static archives; every other program gets the shared libraries, as distributions want. The
# choice is made per program, so one build can hold both kinds (the test that compares them).

set(QUENOR_STATIC_LINKING_AVAILABLE OFF)

# quenor_dependency(NAME SHARED_TARGET ARCHIVE_FILE [ARCHIVE_NEEDS libs...]): the interface
# target quenor_NAME. ARCHIVE_NEEDS are what the static archive needs besides.
function(quenor_dependency name shared archive_file)
    cmake_parse_arguments(ARG "" "" "ARCHIVE_NEEDS" ${ARGN})
    add_library(quenor_${name} INTERFACE)
    if(WIN32 OR NOT archive_file)
        target_link_libraries(quenor_${name} INTERFACE ${shared})
        return()
    endif()
    # Programs in other folders link it through the generator expression below.
    get_target_property(imported ${shared} IMPORTED)
    if(imported)
        set_target_properties(${shared} PROPERTIES IMPORTED_GLOBAL TRUE)
    endif()
    # $<TARGET_PROPERTY:...> without a target names the program being linked.
    set(static "$<BOOL:$<TARGET_PROPERTY:QUENOR_STATIC_DEPENDENCIES>>")
    target_link_libraries(quenor_${name} INTERFACE "$<$<NOT:${static}>:${shared}>"
        "$<${static}:${archive_file}>")
    foreach(need ${ARG_ARCHIVE_NEEDS})
        target_link_libraries(quenor_${name} INTERFACE "$<${static}:${need}>")
    endforeach()
    target_include_directories(quenor_${name} INTERFACE
        "$<TARGET_PROPERTY:${shared},INTERFACE_INCLUDE_DIRECTORIES>")
endfunction()

# The static archives, where the system's packages ship them (Debian: libyaml-cpp-dev and
# libssl-dev do).
if(NOT WIN32)
    find_library(QUENOR_YAML_CPP_ARCHIVE NAMES libyaml-cpp.a
        DOC "yaml-cpp's static archive, for programs linked statically")
    find_library(QUENOR_CRYPTO_ARCHIVE NAMES libcrypto.a
        DOC "OpenSSL's static libcrypto, for programs linked statically")
    # libxcb and its RandR extension, for the screen's size, with what libxcb itself needs
    # (libXau, libXdmcp): none of them needs more than the C library.
    find_library(QUENOR_XCB_RANDR_ARCHIVE NAMES libxcb-randr.a
        DOC "libxcb-randr's static archive, for programs linked statically")
    find_library(QUENOR_XCB_ARCHIVE NAMES libxcb.a
        DOC "libxcb's static archive, for programs linked statically")
    find_library(QUENOR_XAU_ARCHIVE NAMES libXau.a
        DOC "libXau's static archive, for programs linked statically")
    find_library(QUENOR_XDMCP_ARCHIVE NAMES libXdmcp.a
        DOC "libXdmcp's static archive, for programs linked statically")
    if(QUENOR_YAML_CPP_ARCHIVE AND QUENOR_CRYPTO_ARCHIVE AND QUENOR_XCB_RANDR_ARCHIVE AND
       QUENOR_XCB_ARCHIVE AND QUENOR_XAU_ARCHIVE AND QUENOR_XDMCP_ARCHIVE)
        set(QUENOR_STATIC_LINKING_AVAILABLE ON)
    endif()
endif()

# quenor_link_statically(TARGET): yaml-cpp, libcrypto, libxcb, libstdc++ and libgcc are linked into
# TARGET; only the C library (and the loader) stay shared, so that name services and dlopen
# work as the system has them. Libraries nothing uses are not named (--as-needed).
function(quenor_link_statically target)
    if(NOT QUENOR_STATIC_LINKING_AVAILABLE)
        message(FATAL_ERROR "${target} is to be linked statically, but the static archives of "
            "yaml-cpp, libcrypto and libxcb were not found (Debian: libyaml-cpp-dev, libssl-dev "
            "and libxcb-randr0-dev ship them)")
    endif()
    set_target_properties(${target} PROPERTIES QUENOR_STATIC_DEPENDENCIES ON)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc LINKER:--as-needed)
endfunction()
