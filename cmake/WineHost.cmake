# The substitute host for the real Halvane.asi on Windows or under Wine: a
# ScriptHookV.dll exporting the seven decorated names; the runner that loads
# the plug-in with scripted input and checks what happens; and the
# playground (its sources in playground/), the plug-in in a window on the
# real input. All go to
# build/windows/wine; the DLL goes into the stand-in folder there, from which
# the programs load it by its full path.
set(HALVANE_WINE_DIR ${CMAKE_BINARY_DIR}/wine)

configure_file(sim/win/StandInVersion.rc.in ${CMAKE_CURRENT_BINARY_DIR}/StandInVersion.rc @ONLY)
add_library(ScriptHookV SHARED sim/win/ScriptHookV.cpp src/host/ScriptHookV.def
                               ${CMAKE_CURRENT_BINARY_DIR}/StandInVersion.rc)
set_target_properties(ScriptHookV PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${HALVANE_WINE_DIR}/stand-in)
target_include_directories(ScriptHookV PRIVATE src sim/win)
target_compile_options(ScriptHookV PRIVATE ${HALVANE_WARNINGS})
target_link_options(ScriptHookV PRIVATE -static -s)

# The game process both programs are: the host on a fiber and the game model.
add_library(halvane_game_process STATIC
  sim/win/GameProcess.cpp
  sim/win/FibreWin.cpp
  sim/win/PluginLoaderWin.cpp
  sim/Host.cpp
  sim/Allocations.cpp
  sim/DocumentedNatives.cpp
  sim/Game.cpp
  sim/GameScreen.cpp
  sim/GameWeapons.cpp
  sim/GameVehicles.cpp)
target_include_directories(halvane_game_process PUBLIC src sim sim/win)
target_compile_options(halvane_game_process PRIVATE ${HALVANE_WARNINGS})

foreach(program runner playground)
  add_executable(halvane_${program})
  set_target_properties(halvane_${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HALVANE_WINE_DIR})
  target_compile_options(halvane_${program} PRIVATE ${HALVANE_WARNINGS})
  # Whole archive: the callbacks the substitute ScriptHookV.dll looks up are
  # exported from the program, and nothing else refers to them.
  target_link_libraries(halvane_${program} PRIVATE -Wl,--whole-archive halvane_game_process -Wl,--no-whole-archive)
  target_include_directories(halvane_${program} PRIVATE src sim sim/win)
  add_dependencies(halvane_${program} ScriptHookV Halvane)
endforeach()

target_sources(halvane_runner PRIVATE sim/win/Runner.cpp sim/win/RunnerSession.cpp sim/win/RunnerFileCalls.cpp
                                      sim/win/RunnerLoading.cpp sim/win/RunnerSettingsFiles.cpp
                                      sim/win/RunnerSettingsLinks.cpp sim/win/RunnerSettingsContent.cpp
                                      sim/win/RunnerFolders.cpp sim/win/RunnerImage.cpp sim/win/RunnerInput.cpp
                                      sim/win/RunnerOpenMenu.cpp sim/win/RunnerCharacters.cpp src/feedback/Clips.cpp)
# The one default settings file, which the runner expects the first start to write.
file(READ ${PROJECT_SOURCE_DIR}/tests/data/default-settings.ini HALVANE_DEFAULT_SETTINGS)
configure_file(cmake/default-settings.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/DefaultSettings.h @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/default-settings.ini)
target_include_directories(halvane_runner PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(halvane_runner PRIVATE psapi)
target_link_options(halvane_runner PRIVATE -static -s)

# The playground: its own sources, the plug-in's clips and key names (to
# name what it plays and the keys bound), and its version resource (what it
# is, and which Halvane it goes with).
configure_file(playground/PlaygroundVersion.rc.in ${CMAKE_CURRENT_BINARY_DIR}/PlaygroundVersion.rc @ONLY)
target_sources(halvane_playground PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/PlaygroundVersion.rc
                                          playground/Playground.cpp playground/PlaygroundOptions.cpp
                                          playground/PlaygroundFolder.cpp playground/PlaygroundSession.cpp
                                          playground/PlaygroundPanel.cpp playground/PlaygroundImports.cpp
                                          playground/PlaygroundHelp.cpp playground/PlaygroundView.cpp
                                          playground/PlaygroundPaint.cpp sim/TextRuns.cpp
                                          src/feedback/Clips.cpp src/input/KeyNames.cpp)
target_include_directories(halvane_playground PRIVATE playground)
target_link_libraries(halvane_playground PRIVATE gdi32 winmm shell32 bcrypt)
target_link_options(halvane_playground PRIVATE -static -s -mwindows)

# A game that is not the playground, with the stand-in in its folder.
add_executable(halvane_foreign_host sim/win/ForeignHost.cpp)
set_target_properties(halvane_foreign_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HALVANE_WINE_DIR})
target_compile_options(halvane_foreign_host PRIVATE ${HALVANE_WARNINGS})
target_link_options(halvane_foreign_host PRIVATE -static -s -municode)
