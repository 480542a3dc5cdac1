# The header-only libraries from Debian the programs use: CLI11 (command lines) and
# nlohmann-json (JSON). A cross build for Windows cannot search the host's /usr/include, where
# Debian installs them (that would mix the host's C library headers into the Windows build), so
# it takes a copy of just their folders.
function(quenor_header_only_library target package folder)
    if(TARGET ${target})
        return()
    endif()
    if(NOT CMAKE_CROSSCOMPILING)
        find_package(${package} REQUIRED)
        return()
    endif()
    set(source /usr/include/${folder})
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "${source} is missing: install the Debian package that provides it")
    endif()
    set(copy ${CMAKE_BINARY_DIR}/host-headers)
    file(COPY ${source} DESTINATION ${copy})
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${copy})
endfunction()

quenor_header_only_library(CLI11::CLI11 CLI11 CLI)
quenor_header_only_library(nlohmann_json::nlohmann_json nlohmann_json nlohmann)
