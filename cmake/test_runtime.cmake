# The test runtime: jvm.dll, java.exe and unpack200.exe of our own, driven by
# a scenario file, for the Wine tests (no Windows Java runtime exists on the
# build machines). They land in <build>/runtime/.
set(JDK_HOME /usr/lib/jvm/java-17-openjdk-amd64 CACHE PATH "JDK whose jni.h the Windows builds use")
# Our jni_md.h must come before the JDK's include directory, and the JDK's
# linux/ directory must never be on the path of a Windows build.
set(WINDOWS_JNI_INCLUDES ${CMAKE_SOURCE_DIR}/src/platform/jni ${JDK_HOME}/include)
set(TEST_RUNTIME_DIR ${CMAKE_BINARY_DIR}/runtime)

add_library(test_runtime_support STATIC tests/runtime/scenario.cpp tests/runtime/report.cpp)
target_include_directories(test_runtime_support PUBLIC tests/runtime)
target_compile_options(test_runtime_support PUBLIC ${STUB_COMPILE_OPTIONS})
target_compile_definitions(test_runtime_support PUBLIC ${STUB_DEFINITIONS})

add_library(test_jvm SHARED tests/runtime/jvm.cpp)
target_include_directories(test_jvm PRIVATE ${WINDOWS_JNI_INCLUDES})
target_link_libraries(test_jvm PRIVATE test_runtime_support)
# --kill-at exports the i686 __stdcall entry undecorated, as JNI_CreateJavaVM.
target_link_options(test_jvm PRIVATE -static -s -Wl,--kill-at)
set_target_properties(test_jvm PROPERTIES OUTPUT_NAME jvm PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_DIR})

# jvm_dep.dll: the same library importing ltrdep.dll, for the tests of where
# a runtime's own dependencies are loaded from. ltrdep.dll comes as the
# runtime's copy and as a planted one (runtime/planted/).
foreach(copy runtime planted)
  add_library(test_dependency_${copy} SHARED tests/runtime/dependency.cpp)
  target_compile_definitions(test_dependency_${copy} PRIVATE LTR_DEPENDENCY_NAME="${copy}")
  target_link_options(test_dependency_${copy} PRIVATE -static -s)
  set_target_properties(test_dependency_${copy} PROPERTIES OUTPUT_NAME ltrdep PREFIX "")
endforeach()
set_target_properties(test_dependency_runtime PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dependency-runtime)
set_target_properties(test_dependency_planted PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_DIR}/planted
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dependency-planted)
add_library(test_jvm_dependency SHARED tests/runtime/jvm.cpp)
target_include_directories(test_jvm_dependency PRIVATE ${WINDOWS_JNI_INCLUDES})
target_compile_definitions(test_jvm_dependency PRIVATE LTR_TEST_DEPENDENCY)
target_link_libraries(test_jvm_dependency PRIVATE test_runtime_support test_dependency_runtime)
target_link_options(test_jvm_dependency PRIVATE -static -s -Wl,--kill-at)
set_target_properties(test_jvm_dependency PROPERTIES OUTPUT_NAME jvm_dep PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_DIR})

add_executable(test_java tests/runtime/java.cpp)
target_link_libraries(test_java PRIVATE test_runtime_support)
target_link_options(test_java PRIVATE -static -s)
set_target_properties(test_java PROPERTIES OUTPUT_NAME java RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_DIR})

add_executable(test_unpack200 tests/runtime/unpack200.cpp)
target_link_libraries(test_unpack200 PRIVATE test_runtime_support shell32)
target_link_options(test_unpack200 PRIVATE -static -s)
set_target_properties(test_unpack200 PROPERTIES OUTPUT_NAME unpack200 RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_DIR})

add_executable(runtime_tests tests/win/runtime_tests.cpp)
target_include_directories(runtime_tests PRIVATE ${WINDOWS_JNI_INCLUDES})
target_link_libraries(runtime_tests PRIVATE launcher_core)
target_link_options(runtime_tests PRIVATE -static)
add_dependencies(runtime_tests test_jvm test_jvm_dependency test_dependency_planted test_java test_unpack200)
add_test(NAME runtime_tests COMMAND runtime_tests)
list_windows_test(runtime_tests)
