# Native build: the substitute host, the plug-in as a loadable module, tests
# and tools.

if(HALVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(halvane_sim SHARED
  sim/Allocations.cpp
  sim/Fibre.cpp
  sim/DocumentedNatives.cpp
  sim/Game.cpp
  sim/GameScreen.cpp
  sim/GameWeapons.cpp
  sim/GameVehicles.cpp
  sim/Host.cpp
  sim/HostFunctions.cpp
  sim/PluginLoaderPosix.cpp
  sim/Platform.cpp
  sim/PlatformFileStore.cpp)
target_include_directories(halvane_sim PUBLIC src sim)
target_compile_options(halvane_sim PRIVATE ${HALVANE_WARNINGS})
target_link_libraries(halvane_sim PUBLIC ${CMAKE_DL_LIBS})

# The plug-in as the substitute host loads it: only DllMain is exported, and
# no GNU unique symbols, so that unloading really unloads it.
add_library(halvane_plugin MODULE ${HALVANE_SOURCES})
target_include_directories(halvane_plugin PRIVATE src)
target_compile_options(halvane_plugin PRIVATE ${HALVANE_WARNINGS} -fvisibility=hidden -fvisibility-inlines-hidden -fno-gnu-unique)
target_link_libraries(halvane_plugin PRIVATE halvane_sim)

# The same sources for tests of pure logic, linked straight into a test program.
add_library(halvane_core OBJECT ${HALVANE_SOURCES})
target_include_directories(halvane_core PUBLIC src)
target_compile_options(halvane_core PRIVATE ${HALVANE_WARNINGS})
set_target_properties(halvane_core PROPERTIES POSITION_INDEPENDENT_CODE ON)

# Pictures of a frame's overlay.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
add_library(halvane_render STATIC sim/Render.cpp sim/TextRuns.cpp)
target_include_directories(halvane_render PUBLIC sim)
target_compile_options(halvane_render PRIVATE ${HALVANE_WARNINGS})
target_link_libraries(halvane_render PUBLIC halvane_sim PkgConfig::CAIRO)

# The demo player: a scripted session told frame by frame, with screenshots.
add_executable(halvane_demo tools/demo.cpp $<TARGET_OBJECTS:halvane_core>)
target_compile_options(halvane_demo PRIVATE ${HALVANE_WARNINGS})
target_link_libraries(halvane_demo PRIVATE halvane_sim halvane_render)
target_compile_definitions(halvane_demo PRIVATE HALVANE_PLUGIN_FILE="$<TARGET_FILE:halvane_plugin>")
add_dependencies(halvane_demo halvane_plugin)

# Writes src/feedback/Clips.cpp; a test checks the committed file is its output.
add_executable(make_clips tools/make_clips.cpp)
target_compile_options(make_clips PRIVATE ${HALVANE_WARNINGS})

# Benchmarks measure the optimised build only (the bench preset).
if(NOT HALVANE_SANITIZE)
  add_subdirectory(bench)
endif()

enable_testing()
add_subdirectory(tests)
