# The host build: the builder, unit tests of everything that computes
# without Windows, and the fuzz targets.
option(LAUNCHER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LAUNCHER_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

add_compile_options(-Wall -Wextra)
if(LAUNCHER_FUZZ)
  # The code under test gives the fuzzer its coverage and gets ASan's checks.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
endif()
if(LAUNCHER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The portable core over the host's in-memory log and media file.
add_library(core STATIC ${CORE_SOURCES} ${HOST_PLATFORM_SOURCES})
target_include_directories(core PUBLIC src)

# The seams the core reads the system through (paths, environment, code
# page, the archive's files), doubled for the tests.
add_library(host_fakes STATIC tests/unit/fake_system.cpp tests/unit/tar_io_memory.cpp)
target_include_directories(host_fakes PUBLIC src tests/unit)
target_link_libraries(host_fakes PUBLIC core)

if(LAUNCHER_FUZZ)
  file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS tests/fuzz/fuzz_*.cpp)
  foreach(source ${FUZZ_TARGETS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE host_fakes)
  endforeach()
  return()
endif()

find_package(nlohmann_json 3 REQUIRED)
find_package(GTest REQUIRED)

file(GLOB BUILDER_SOURCES CONFIGURE_DEPENDS tools/builder/*.cpp)
list(FILTER BUILDER_SOURCES EXCLUDE REGEX "(main|_win)\\.cpp$")
add_library(builder_core STATIC ${BUILDER_SOURCES})
target_include_directories(builder_core PUBLIC src tools)
target_link_libraries(builder_core PUBLIC core nlohmann_json::nlohmann_json)

add_executable(ltrbuild tools/builder/main.cpp)
target_link_libraries(ltrbuild PRIVATE builder_core)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*_tests.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE builder_core host_fakes GTest::gtest_main)
# The schema tests compare docs/ with what the builder makes.
target_compile_definitions(unit_tests PRIVATE LAUNCHER_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)

# The JNI launch against the machine's OpenJDK, with stand-in Java classes
# compiled at build time. Not under the sanitizers: the virtual machine
# handles its own signals.
set(JDK_HOME /usr/lib/jvm/java-17-openjdk-amd64 CACHE PATH "JDK for the host JNI tests")
if(NOT LAUNCHER_SANITIZE AND EXISTS ${JDK_HOME}/include/jni.h AND EXISTS ${JDK_HOME}/lib/server/libjvm.so)
  file(GLOB_RECURSE JNI_TEST_JAVA CONFIGURE_DEPENDS tests/jni/java/*.java)
  set(JNI_TEST_CLASSES ${CMAKE_BINARY_DIR}/jni-classes)
  add_custom_command(OUTPUT ${JNI_TEST_CLASSES}/com/lantor/runtime/WinLauncher.class
    COMMAND ${JDK_HOME}/bin/javac -d ${JNI_TEST_CLASSES} ${JNI_TEST_JAVA}
    DEPENDS ${JNI_TEST_JAVA})
  add_custom_target(jni_test_classes DEPENDS ${JNI_TEST_CLASSES}/com/lantor/runtime/WinLauncher.class)
  add_executable(jni_tests tests/jni/jni_launch_tests.cpp src/launch/jvm_launch.cpp)
  target_include_directories(jni_tests PRIVATE ${JDK_HOME}/include ${JDK_HOME}/include/linux)
  target_compile_definitions(jni_tests PRIVATE JNI_TEST_CLASSES="${JNI_TEST_CLASSES}"
    JNI_TEST_LIBJVM="${JDK_HOME}/lib/server/libjvm.so")
  target_link_libraries(jni_tests PRIVATE host_fakes GTest::gtest_main dl)
  add_dependencies(jni_tests jni_test_classes)
endif()
