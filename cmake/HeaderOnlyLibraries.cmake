# The header-only libraries from Debian the programs use: CLI11 (command lines) and
# nlohmann-json (JSON). A cross build for Windows cannot search the host's /usr/include, where
# Debian installs them (that would mix the host's C library headers into the Windows build), so
# it takes a copy of just their folders.
function(quenor_header_only_library target package folder debian fedora)
    if(TARGET ${target})
        return()
    endif()
    if(NOT CMAKE_CROSSCOMPILING)
        quenor_require_package(${package} DEBIAN ${debian} FEDORA ${fedora})
        return()
    endif()
    set(source /usr/include/${folder})
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "${source} is missing: install the Debian package ${debian}")
    endif()
    set(copy ${CMAKE_BINARY_DIR}/host-headers)
    file(COPY ${source} DESTINATION ${copy})
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${copy})
endfunction()

quenor_header_only_library(CLI11::CLI11 CLI11 CLI libcli11-dev cli11-devel)
quenor_header_only_library(nlohmann_json::nlohmann_json nlohmann_json nlohmann nlohmann-json3-dev
                           json-devel)
