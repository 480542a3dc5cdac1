# The time of the source, for release files that come out the same from the same source: the
# last commit's, or in a source tarball without its history the date of the changelog's entry.
#   quenor_source_date_epoch(<variable>)   seconds since 1970, UTC
function(quenor_source_date_epoch out)
    execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE no_history ERROR_QUIET)
    if(no_history OR NOT epoch MATCHES "^[0-9]+$")
        file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.in signature REGEX "^ -- ")
        string(REGEX REPLACE "^.*>  " "" changelog_date "${signature}")
        execute_process(COMMAND date -u -d "${changelog_date}" +%s
            OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
    endif()
    set(${out} ${epoch} PARENT_SCOPE)
endfunction()
