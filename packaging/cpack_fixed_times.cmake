# Run by cpack once it has staged the files of a package: every file and folder gets the time
# of the source (SOURCE_DATE_EPOCH, set by cpack_project_config), whenever it was built, so that
# two builds of one source give the same package whatever each reused of an earlier build.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} OR NOT IS_DIRECTORY "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
    return()
endif()
execute_process(
    COMMAND find "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "could not set the time of the staged files")
endif()
