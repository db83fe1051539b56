# Windows build (i686-w64-mingw32): the plug-in DLL and the stand-ins it is tested with.
set(VLC_WIN32_FLAGS -Wall -Wextra -Werror -O2)
set(VLC_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

enable_language(RC)
include(${CMAKE_SOURCE_DIR}/cmake/Version.cmake)

file(GLOB VLC_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/ui/win32/*.cpp)

add_library(Vellacord SHARED ${VLC_CORE_SOURCES} ${VLC_WIN32_SOURCES}
  ${CMAKE_SOURCE_DIR}/plugin/Vellacord.def)
set_target_properties(Vellacord PROPERTIES PREFIX "" OUTPUT_NAME "Vellacord")
target_include_directories(Vellacord PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(Vellacord PRIVATE ${VLC_WIN32_FLAGS})
target_link_options(Vellacord PRIVATE ${VLC_STATIC_RUNTIME} -Wl,--enable-stdcall-fixup)
target_link_libraries(Vellacord PRIVATE ole32 oleaut32 user32 gdi32 comdlg32 comctl32 shell32 advapi32)
vlc_add_version_resource(Vellacord DESCRIPTION "Vellacord plug-in for the ORVO player")

foreach(standin host smfk32 rcpcv)
  if(EXISTS ${CMAKE_SOURCE_DIR}/standins/${standin}/CMakeLists.txt)
    add_subdirectory(standins/${standin})
  endif()
endforeach()

# Wine test programs, each in its own folder.
foreach(suite converters dialog)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/${suite}/CMakeLists.txt)
    add_subdirectory(tests/wine/${suite})
  endif()
endforeach()

# The converter libraries and the command line, from the portable converter core.
add_library(converter_core STATIC ${VLC_CONVERTER_SOURCES})
target_include_directories(converter_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(converter_core PRIVATE ${VLC_WIN32_FLAGS})

# A converter library over the core, as the plug-in loads it: exact stdcall export names, plain
# and with a leading underscore, from its .def file; every source of dll/NAME/; lands as
# build/<preset>/NAME.dll.
function(vlc_converter_library name description)
  set(target ${name}_library)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dll/${name}/*.cpp)
  add_library(${target} SHARED ${sources}
    ${CMAKE_SOURCE_DIR}/dll/${name}/${name}.def ${CMAKE_SOURCE_DIR}/dll/common/FileAccess.cpp
    ${VLC_FRONT_SOURCES})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_libraries(${target} PRIVATE converter_core)
  target_compile_options(${target} PRIVATE ${VLC_WIN32_FLAGS})
  target_link_options(${target} PRIVATE ${VLC_STATIC_RUNTIME} -Wl,--enable-stdcall-fixup)
  vlc_add_version_resource(${target} DESCRIPTION "${description}")
endfunction()
vlc_converter_library(rcpcv "Vellacord RCP song converter library")
vlc_converter_library(smfk32 "Vellacord SMF post-processor library")
add_subdirectory(tests/wine/libraries)

file(GLOB VLC_CLI_SYSTEM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/win32/*.cpp)
add_executable(vellacord-convert ${VLC_CLI_SOURCES} ${VLC_CLI_SYSTEM_SOURCES})
target_link_libraries(vellacord-convert PRIVATE converter_core shell32)
target_compile_options(vellacord-convert PRIVATE ${VLC_WIN32_FLAGS})
target_link_options(vellacord-convert PRIVATE ${VLC_STATIC_RUNTIME})
vlc_add_version_resource(vellacord-convert DESCRIPTION "Vellacord song converter (command line)")

# The stand-in converters say in their file properties what they are, so that nobody mistakes
# one for the real library (the release package's check refuses them).
foreach(double rcpcv smfk32)
  vlc_add_version_resource(${double}
    DESCRIPTION "Test double of a converter library, for the Wine suite; not for installation")
endforeach()
