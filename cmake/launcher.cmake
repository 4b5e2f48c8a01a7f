# The Windows launcher stub and the Windows test programs.
enable_language(RC)

# The stub stays small: no exceptions, no RTTI, no unwind tables, msvcrt's
# own printf (which also gives %I64d), unused functions dropped. No
# -fdata-sections: on PE targets it moves zero-filled buffers out of .bss
# into the file.
set(STUB_COMPILE_OPTIONS
  -Os -Wall -Wextra -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
  -ffunction-sections)
set(STUB_DEFINITIONS __USE_MINGW_ANSI_STDIO=0 WIN32_LEAN_AND_MEAN)

# Every layer below the entry; the test programs link it too.
add_library(launcher_core STATIC ${CORE_SOURCES} ${PLATFORM_SOURCES} ${LAUNCH_SOURCES} ${UI_SOURCES})
# jni.h from the JDK, with our jni_md.h for Windows (the JDK's own is for Linux).
set(JDK_HOME /usr/lib/jvm/java-17-openjdk-amd64 CACHE PATH "JDK whose jni.h the launcher uses")
target_include_directories(launcher_core PUBLIC src src/platform/jni ${JDK_HOME}/include)
target_compile_options(launcher_core PUBLIC ${STUB_COMPILE_OPTIONS})
# No frame of the launcher holds more than four of its 8 KB texts: the
# work thread becomes the Java main thread and keeps its stack for Java.
set(STUB_STACK_LIMIT -Wstack-usage=32768)
target_compile_options(launcher_core PRIVATE ${STUB_STACK_LIMIT})
target_compile_definitions(launcher_core PUBLIC ${STUB_DEFINITIONS})
# zlib reads the runtime archive; -static takes Debian's libz.a.
target_link_libraries(launcher_core PUBLIC comctl32 z advapi32)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(LAUNCHER_ICON ${CMAKE_BINARY_DIR}/launcher.ico)
add_custom_command(OUTPUT ${LAUNCHER_ICON}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/src/resources/make_icon.py ${LAUNCHER_ICON}
  DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/make_icon.py)
set_source_files_properties(src/resources/launcher.rc PROPERTIES
  OBJECT_DEPENDS "${LAUNCHER_ICON};${CMAKE_SOURCE_DIR}/src/resources/launcher.manifest")

add_executable(launcher WIN32 ${ENTRY_SOURCES} src/resources/launcher.rc)
target_include_directories(launcher PRIVATE ${CMAKE_BINARY_DIR})
target_compile_options(launcher PRIVATE ${STUB_STACK_LIMIT})
target_link_libraries(launcher PRIVATE launcher_core)
target_link_options(launcher PRIVATE -static -s -Wl,--gc-sections)

# Windows unit tests of the code that needs Windows, run under Wine. Each
# one is also listed in <build>/windows_tests.txt, which the Wine harness
# runs (see the end of this file).
function(list_windows_test name)
  set_property(GLOBAL APPEND PROPERTY WINDOWS_TESTS "$<TARGET_FILE:${name}>")
endfunction()
function(add_windows_test name)
  add_executable(${name} tests/win/${name}.cpp)
  target_link_libraries(${name} PRIVATE launcher_core)
  target_link_options(${name} PRIVATE -static)
  add_test(NAME ${name} COMMAND ${name})
  list_windows_test(${name})
endfunction()
add_windows_test(path_tests)
add_windows_test(log_error_tests)
add_windows_test(work_directory_tests)
add_windows_test(library_loading_tests)
add_windows_test(version_probe_tests)
add_windows_test(pack200_tests)
add_windows_test(search_tests)
add_windows_test(registry_search_tests)

# Starts a program with the temporary directory and environment a test wants.
add_executable(spawn tests/win/spawn.cpp)
target_compile_options(spawn PRIVATE ${STUB_COMPILE_OPTIONS})
target_compile_definitions(spawn PRIVATE ${STUB_DEFINITIONS})
target_link_options(spawn PRIVATE -static -s)

# The copy and read baselines of the extraction benchmark.
add_executable(io_bench bench/win/io_bench.cpp)
target_link_options(io_bench PRIVATE -static -s)

# The launcher's download code alone, for the download benchmark.
add_executable(download_bench bench/win/download_bench.cpp)
target_link_libraries(download_bench PRIVATE launcher_core)
target_link_options(download_bench PRIVATE -static -s)

# Stands in for a running first copy of a launcher file.
add_executable(hold_instance tests/win/hold_instance.cpp)
target_link_options(hold_instance PRIVATE -static -s)

# Reads the launcher's dialogs from outside: texts, buttons, the bar.
add_executable(window_probe tests/win/window_probe.cpp)
target_link_libraries(window_probe PRIVATE comctl32)
target_link_options(window_probe PRIVATE -static -s)

# Reads a file's version resource back as Windows programs do.
add_executable(version_info tests/win/version_info.cpp)
target_link_libraries(version_info PRIVATE version shell32)
target_link_options(version_info PRIVATE -static -s)

# The smallest Windows GUI program: the baseline of the start-time benchmark.
add_executable(trivial WIN32 tests/win/trivial.cpp)
target_link_options(trivial PRIVATE -static -s)
include(cmake/test_runtime.cmake)

get_property(windows_tests GLOBAL PROPERTY WINDOWS_TESTS)
list(JOIN windows_tests "\n" windows_tests)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows_tests.txt CONTENT "${windows_tests}\n")
