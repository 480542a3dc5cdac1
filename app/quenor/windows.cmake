# quenor.exe: the program with the native Win32 window (included by CMakeLists.txt when
# building for Windows).
add_executable(quenor WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/main_windows.cpp ${QUENOR_WINDOWS_RESOURCES})
quenor_shipped_program(quenor)
target_link_libraries(quenor PRIVATE quenor_build_flags quenor_win32 quenor_start)
