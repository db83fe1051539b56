# Windows build (i686-w64-mingw32): the plug-in DLL and the stand-ins it is tested with.
set(VLC_WIN32_FLAGS -Wall -Wextra -Werror -O2)
set(VLC_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

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

foreach(standin host smfk32 rcpcv)
  if(EXISTS ${CMAKE_SOURCE_DIR}/standins/${standin}/CMakeLists.txt)
    add_subdirectory(standins/${standin})
  endif()
endforeach()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/converters/CMakeLists.txt)
  add_subdirectory(tests/wine/converters)
endif()
