# Native build: the logic with a recording fake of the system, under GoogleTest and sanitizers.
set(VLC_WARNINGS -Wall -Wextra -Werror)
set(VLC_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(vellacord_core STATIC ${VLC_CORE_SOURCES})
target_include_directories(vellacord_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(vellacord_core PUBLIC ${VLC_WARNINGS} ${VLC_SANITIZERS} -g)
target_link_options(vellacord_core PUBLIC ${VLC_SANITIZERS})

find_package(GTest REQUIRED)
enable_testing()

file(GLOB VLC_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp
  ${CMAKE_SOURCE_DIR}/tests/fake/*.cpp)
add_executable(vellacord_tests ${VLC_TEST_SOURCES})
target_link_libraries(vellacord_tests PRIVATE vellacord_core GTest::gtest GTest::gtest_main GTest::gmock)
include(GoogleTest)
gtest_discover_tests(vellacord_tests DISCOVERY_TIMEOUT 60)

# The layout test calls through hand-made operation tables on purpose: no C++ object is there
# for the vptr check to find.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/unit/HostInterfaceLayoutTest.cpp
  PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)

# The converter core, its command line and its tests.
add_library(converter_core STATIC ${VLC_CONVERTER_SOURCES})
target_include_directories(converter_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(converter_core PUBLIC ${VLC_WARNINGS} ${VLC_SANITIZERS} -g)
target_link_options(converter_core PUBLIC ${VLC_SANITIZERS})
file(GLOB VLC_CLI_SYSTEM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/posix/*.cpp)
find_package(Threads REQUIRED)
add_executable(vellacord-convert ${VLC_CLI_SOURCES} ${VLC_CLI_SYSTEM_SOURCES})
target_link_libraries(vellacord-convert PRIVATE converter_core Threads::Threads)

file(GLOB VLC_CONVERTER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/converter/*.cpp)
# The library's portable settings reader is tested here too; the rest of dll/ is Win32 only.
add_executable(converter_tests ${VLC_CONVERTER_TEST_SOURCES} ${VLC_FRONT_SOURCES}
  ${CMAKE_SOURCE_DIR}/cli/Text.cpp ${CMAKE_SOURCE_DIR}/cli/Cp932Table.cpp
  ${CMAKE_SOURCE_DIR}/dll/rcpcv/LoopSettings.cpp)
target_link_libraries(converter_tests PRIVATE converter_core GTest::gtest GTest::gtest_main)
target_compile_definitions(converter_tests PRIVATE
  VLC_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VLC_CLI_PATH="$<TARGET_FILE:vellacord-convert>")
gtest_discover_tests(converter_tests DISCOVERY_TIMEOUT 60)
