# The substitute host for running the real Halvane.asi under Wine: a
# ScriptHookV.dll exporting the seven decorated names, and the runner that
# loads the plug-in, drives the game model and checks what happens. Both go
# to build/windows/wine, where the runner finds the DLL beside itself.
set(HALVANE_WINE_DIR ${CMAKE_BINARY_DIR}/wine)

add_library(ScriptHookV SHARED sim/win/ScriptHookV.cpp src/host/ScriptHookV.def)
set_target_properties(ScriptHookV PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${HALVANE_WINE_DIR})
target_include_directories(ScriptHookV PRIVATE src sim/win)
target_compile_options(ScriptHookV PRIVATE ${HALVANE_WARNINGS})
target_link_options(ScriptHookV PRIVATE -static -s)

add_executable(halvane_runner
  sim/win/Runner.cpp
  sim/win/GameProcess.cpp
  sim/win/FibreWin.cpp
  sim/win/PluginLoaderWin.cpp
  sim/Host.cpp
  sim/Allocations.cpp
  sim/Game.cpp
  sim/GameScreen.cpp
  sim/GameWeapons.cpp
  sim/GameVehicles.cpp)
set_target_properties(halvane_runner PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HALVANE_WINE_DIR})
target_include_directories(halvane_runner PRIVATE src sim sim/win)
target_compile_options(halvane_runner PRIVATE ${HALVANE_WARNINGS})
target_link_libraries(halvane_runner PRIVATE psapi)
target_link_options(halvane_runner PRIVATE -static -s)
add_dependencies(halvane_runner ScriptHookV Halvane)

# The playground: the real DLL in a window on the real keyboard, mouse, pad,
# clock and sound.
add_executable(halvane_playground
  sim/win/Playground.cpp
  sim/win/PlaygroundView.cpp
  sim/win/GameProcess.cpp
  sim/win/FibreWin.cpp
  sim/win/PluginLoaderWin.cpp
  sim/Host.cpp
  sim/Allocations.cpp
  sim/Game.cpp
  sim/GameScreen.cpp
  sim/GameWeapons.cpp
  sim/GameVehicles.cpp
  sim/TextRuns.cpp)
set_target_properties(halvane_playground PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HALVANE_WINE_DIR})
target_include_directories(halvane_playground PRIVATE src sim sim/win)
target_compile_options(halvane_playground PRIVATE ${HALVANE_WARNINGS})
target_link_libraries(halvane_playground PRIVATE gdi32 winmm shell32)
target_link_options(halvane_playground PRIVATE -static -s -mwindows)
add_dependencies(halvane_playground ScriptHookV Halvane)
