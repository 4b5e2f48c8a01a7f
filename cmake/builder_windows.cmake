# The builder for Windows, ltrbuild.exe: the same sources as the host's
# builder, with the Windows forms of its system files and code page
# conversions; static, so that it runs on its own.
add_compile_options(-Wall -Wextra -O2)
file(GLOB BUILDER_SOURCES CONFIGURE_DEPENDS tools/builder/*.cpp)
list(FILTER BUILDER_SOURCES EXCLUDE REGEX "(_posix|_iconv)\\.cpp$")

# nlohmann-json is header-only: its directory alone, not the host's /usr/include.
set(JSON_INCLUDE ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${JSON_INCLUDE})
file(CREATE_LINK /usr/include/nlohmann ${JSON_INCLUDE}/nlohmann SYMBOLIC)

# A library, as on the host: only what the builder uses of the core is linked.
add_library(core STATIC ${CORE_SOURCES} ${HOST_PLATFORM_SOURCES})
target_include_directories(core PUBLIC src)
add_executable(ltrbuild ${BUILDER_SOURCES})
target_include_directories(ltrbuild PRIVATE tools)
target_link_libraries(ltrbuild PRIVATE core)
target_include_directories(ltrbuild SYSTEM PRIVATE ${JSON_INCLUDE})
target_compile_definitions(ltrbuild PRIVATE WIN32_LEAN_AND_MEAN)
target_link_libraries(ltrbuild PRIVATE shell32)
target_link_options(ltrbuild PRIVATE -static -s)
