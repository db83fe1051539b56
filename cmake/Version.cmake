# Version resources: what Windows shows on a file's Details page, from the project's version.
#
#   vlc_add_version_resource(TARGET DESCRIPTION "text")
#
# generates a VERSIONINFO script for TARGET (company and product "Vellacord", file and product
# version, the description, copyright, the original file name) and compiles it into the target.
# The file version is MAJOR.MINOR.PATCH.0; the product version string is the plug-in's own
# number as its dialog shows it ("6.003").

set(VLC_COPYRIGHT "Copyright (C) 2026 the Vellacord developers")
math(EXPR VLC_PLUGIN_MINOR_PADDED "1000 + ${PROJECT_VERSION_MINOR}")
string(SUBSTRING "${VLC_PLUGIN_MINOR_PADDED}" 1 3 VLC_PLUGIN_MINOR_PADDED)
set(VLC_PRODUCT_VERSION "${PROJECT_VERSION_MAJOR}.${VLC_PLUGIN_MINOR_PADDED}")

function(vlc_add_version_resource target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "DESCRIPTION" "")
  if(NOT ARG_DESCRIPTION)
    message(FATAL_ERROR "vlc_add_version_resource(${target}): DESCRIPTION is required")
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(file_type VFT_APP)
  else()
    set(file_type VFT_DLL)
  endif()
  set(v ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
  set(dotted ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  # The original file name follows the target's output name, known only at generation time.
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  file(GENERATE OUTPUT ${script} CONTENT "#include <winver.h>
1 VERSIONINFO
FILEVERSION ${v}
PRODUCTVERSION ${v}
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE ${file_type}
FILESUBTYPE VFT2_UNKNOWN
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
      VALUE \"CompanyName\", \"Vellacord\"
      VALUE \"FileDescription\", \"${ARG_DESCRIPTION}\"
      VALUE \"FileVersion\", \"${dotted}\"
      VALUE \"InternalName\", \"$<TARGET_FILE_BASE_NAME:${target}>\"
      VALUE \"LegalCopyright\", \"${VLC_COPYRIGHT}\"
      VALUE \"OriginalFilename\", \"$<TARGET_FILE_NAME:${target}>\"
      VALUE \"ProductName\", \"Vellacord\"
      VALUE \"ProductVersion\", \"${VLC_PRODUCT_VERSION}\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")
  target_sources(${target} PRIVATE ${script})
endfunction()
