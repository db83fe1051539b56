# Fuzz build: the logic and the test fakes under libFuzzer, ASan and UBSan (clang only).
# One executable per file in tests/fuzz/; tests/fuzz/run-short.sh runs them briefly.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz build needs clang++ (libFuzzer): use the 'fuzz' preset")
endif()

set(VLC_WARNINGS -Wall -Wextra -Werror)
set(VLC_FUZZ_SANITIZERS address,undefined)
set(VLC_FUZZ_COMMON -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1)

file(GLOB VLC_FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fake/*.cpp)

# The logic and the fakes are instrumented for coverage but carry no main of their own.
add_library(vellacord_fuzz_core STATIC ${VLC_CORE_SOURCES} ${VLC_CONVERTER_SOURCES} ${VLC_FAKE_SOURCES})
target_include_directories(vellacord_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(vellacord_fuzz_core PUBLIC ${VLC_WARNINGS} ${VLC_FUZZ_COMMON}
  -fsanitize=fuzzer-no-link,${VLC_FUZZ_SANITIZERS})

file(GLOB VLC_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
foreach(source ${VLC_FUZZ_TARGETS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE vellacord_fuzz_core)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,${VLC_FUZZ_SANITIZERS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,${VLC_FUZZ_SANITIZERS})
endforeach()
