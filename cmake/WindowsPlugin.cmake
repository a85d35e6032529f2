# Halvane.asi: the plug-in DLL the script host loads.

# Import libraries made from our own module definition files: the host's
# decorated names, and XInputGetState by ordinal 2.
set(HALVANE_IMPORT_DEFS
  ${PROJECT_SOURCE_DIR}/src/host/ScriptHookV.def
  ${PROJECT_SOURCE_DIR}/src/platform/xinput1_4.def)
set(HALVANE_IMPORT_LIBS)
foreach(def IN LISTS HALVANE_IMPORT_DEFS)
  get_filename_component(name ${def} NAME_WE)
  if(MINGW)
    set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${name}.a)
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-lib ${lib}
      DEPENDS ${def} VERBATIM)
  else()
    set(lib ${CMAKE_CURRENT_BINARY_DIR}/${name}.lib)
    add_custom_command(OUTPUT ${lib}
      COMMAND lib /nologo /machine:x64 /def:${def} /out:${lib}
      DEPENDS ${def} VERBATIM)
  endif()
  list(APPEND HALVANE_IMPORT_LIBS ${lib})
endforeach()
add_custom_target(halvane_imports DEPENDS ${HALVANE_IMPORT_LIBS})

enable_language(RC)
configure_file(src/plugin/Version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Version.rc @ONLY)
# The guides carry the same version as the DLL's resource, from the same place.
configure_file(docs/Halvane-Readme.txt ${CMAKE_CURRENT_BINARY_DIR}/Halvane-Readme.txt @ONLY)
configure_file(playground/Halvane-Playground.txt ${CMAKE_CURRENT_BINARY_DIR}/Halvane-Playground.txt @ONLY)

add_library(Halvane SHARED ${HALVANE_SOURCES} src/platform/Win32Platform.cpp src/platform/Win32ClipCopies.cpp
                           src/platform/Win32FileStore.cpp src/platform/Win32FileNames.cpp src/platform/Win32Paths.cpp
                           ${CMAKE_CURRENT_BINARY_DIR}/Version.rc)
add_dependencies(Halvane halvane_imports)
set_target_properties(Halvane PROPERTIES PREFIX "" SUFFIX ".asi" OUTPUT_NAME Halvane)
target_include_directories(Halvane PRIVATE src)
target_compile_definitions(Halvane PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(Halvane PRIVATE ${HALVANE_WARNINGS})
target_link_libraries(Halvane PRIVATE ${HALVANE_IMPORT_LIBS} user32 winmm shell32 kernel32)
if(MINGW)
  # One self-contained file: the C++ runtime linked in, nothing exported.
  target_link_options(Halvane PRIVATE -static -Wl,--exclude-all-symbols -s)
endif()

if(MINGW)
  include(cmake/WineHost.cmake)
endif()
