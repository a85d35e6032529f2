# Fuzz targets (clang's libFuzzer, with AddressSanitizer and
# UndefinedBehaviorSanitizer) over the plug-in's logic and the null host.
set(HALVANE_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -g)
set(HALVANE_FUZZ_FLAGS -fsanitize=fuzzer-no-link ${HALVANE_SANITIZE_FLAGS})

add_library(halvane_fuzz_core OBJECT ${HALVANE_SOURCES})
target_compile_options(halvane_fuzz_core PRIVATE ${HALVANE_FUZZ_FLAGS} ${HALVANE_WARNINGS})
# The menu target's input is keys held and a clock step per frame: no
# comparison in the pass is against input bytes taken whole, so tracing the
# comparisons (which feeds libFuzzer magic values to try) finds nothing there
# and would cost it a third of its time.
add_library(halvane_fuzz_core_untraced OBJECT ${HALVANE_SOURCES})
target_compile_options(halvane_fuzz_core_untraced PRIVATE ${HALVANE_FUZZ_FLAGS} -fno-sanitize-coverage=trace-cmp
                                                          ${HALVANE_WARNINGS})
foreach(core halvane_fuzz_core halvane_fuzz_core_untraced)
  target_include_directories(${core} PUBLIC src sim)
endforeach()

# The null host stands for the game, which is no part of what is searched or
# checked: built without the coverage instrumentation and the sanitizers, its
# table lookup and pushes on every native call (near a thousand a frame
# while the menu is drawn) neither feed the fuzzer false leads nor spend its
# time checking the host's own tables. Its files are on the disk for the settings targets,
# which go through the file system itself, and in memory for the menu target,
# which saves on nearly every input; both stay checked.
add_library(halvane_fuzz_host OBJECT sim/NullHost.cpp)
target_compile_options(halvane_fuzz_host PRIVATE -g ${HALVANE_WARNINGS})
add_library(halvane_fuzz_disk OBJECT sim/NullHostDisk.cpp)
add_library(halvane_fuzz_memory OBJECT sim/NullHostMemory.cpp)
foreach(part disk memory)
  target_compile_options(halvane_fuzz_${part} PRIVATE ${HALVANE_SANITIZE_FLAGS} ${HALVANE_WARNINGS})
endforeach()
foreach(part host disk memory)
  target_include_directories(halvane_fuzz_${part} PUBLIC src sim)
endforeach()

foreach(target settings settings_text keynames menu)
  set(core halvane_fuzz_core)
  set(files disk)
  set(tracing "")
  if(target STREQUAL "menu")
    set(core halvane_fuzz_core_untraced)
    set(files memory)
    set(tracing -fno-sanitize-coverage=trace-cmp)
  endif()
  add_executable(fuzz_${target} fuzz/${target}_fuzz.cpp $<TARGET_OBJECTS:${core}>
                                $<TARGET_OBJECTS:halvane_fuzz_host> $<TARGET_OBJECTS:halvane_fuzz_${files}>)
  target_include_directories(fuzz_${target} PRIVATE src sim)
  target_compile_options(fuzz_${target} PRIVATE ${HALVANE_FUZZ_FLAGS} ${tracing} ${HALVANE_WARNINGS})
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
