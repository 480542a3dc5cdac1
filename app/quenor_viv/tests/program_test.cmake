# Runs the real quenor-viv: create an archive of two files, list, verify and extract it, and
# check that a refused create leaves the archive alone. Called with -DVIV=program -DWORK=folder
# (and -DEMULATOR=runner in a cross build).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/in ${WORK}/out)
file(WRITE ${WORK}/in/alpha.txt "first file\n")
file(WRITE ${WORK}/in/beta.ini "[section]\nkey=value\n")

function(run_viv expected_status)
    execute_process(COMMAND ${EMULATOR} ${VIV} ${ARGN} RESULT_VARIABLE status
        OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REPLACE "\r" "" out "${out}")
    if(NOT status EQUAL expected_status)
        message(FATAL_ERROR "quenor-viv ${ARGN}: status ${status}, expected ${expected_status}\n"
            "${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

run_viv(0 create ${WORK}/demo.viv ${WORK}/in/alpha.txt ${WORK}/in/beta.ini)
file(READ ${WORK}/demo.viv head LIMIT 8 HEX)
file(SIZE ${WORK}/demo.viv size)
math(EXPR size_hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" size_hex "${size_hex}")
string(LENGTH "${size_hex}" len)
while(len LESS 8)
    set(size_hex "0${size_hex}")
    string(LENGTH "${size_hex}" len)
endwhile()
string(TOLOWER "${size_hex}" size_hex)
if(NOT head STREQUAL "42494746${size_hex}")
    message(FATAL_ERROR "demo.viv should start with BIGF and its big-endian size, got ${head}")
endif()

run_viv(0 list ${WORK}/demo.viv)
if(NOT out STREQUAL "alpha.txt\t11\t11\tuncompressed\nbeta.ini\t20\t20\tuncompressed\n")
    message(FATAL_ERROR "unexpected listing:\n${out}")
endif()

run_viv(0 verify ${WORK}/demo.viv)
run_viv(0 extract ${WORK}/demo.viv -o ${WORK}/out)
file(READ ${WORK}/out/beta.ini beta)
if(NOT beta STREQUAL "[section]\nkey=value\n")
    message(FATAL_ERROR "extracted beta.ini differs: ${beta}")
endif()

file(READ ${WORK}/demo.viv before HEX)
run_viv(1 create ${WORK}/demo.viv ${WORK}/in/alpha.txt)
file(READ ${WORK}/demo.viv after HEX)
if(NOT before STREQUAL after OR NOT err MATCHES "--force")
    message(FATAL_ERROR "a refused create changed the archive or did not say why: ${err}")
endif()
run_viv(2 list)
