# Finding what the project builds on. A package that is missing stops the configure step with
# the names of the packages that provide it on Debian and on Fedora, never a quiet build
# without a program.
#   quenor_require_package(<find_package arguments...> DEBIAN <package> FEDORA <package>)
macro(quenor_require_package name)
    cmake_parse_arguments(_quenor_require "" "DEBIAN;FEDORA" "" ${ARGN})
    find_package(${name} ${_quenor_require_UNPARSED_ARGUMENTS} QUIET)
    if(NOT ${name}_FOUND)
        message(FATAL_ERROR
            "${name} was not found. Install it and configure again: on Debian or Ubuntu "
            "\"apt-get install ${_quenor_require_DEBIAN}\", on Fedora \"dnf install "
            "${_quenor_require_FEDORA}\".")
    endif()
endmacro()
