# Fuzz targets (clang's libFuzzer, with AddressSanitizer and
# UndefinedBehaviorSanitizer) over the plug-in's logic and the null host.
set(HALVANE_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -g)
set(HALVANE_FUZZ_FLAGS -fsanitize=fuzzer-no-link ${HALVANE_SANITIZE_FLAGS})

add_library(halvane_fuzz_core OBJECT ${HALVANE_SOURCES})
target_include_directories(halvane_fuzz_core PUBLIC src sim)
target_compile_options(halvane_fuzz_core PRIVATE ${HALVANE_FUZZ_FLAGS} ${HALVANE_WARNINGS})

# The null host stands for the game, whose branches are no part of what is
# searched: left out of the coverage, its hash lookups on every native call
# neither feed the fuzzer false leads nor cost it most of its time.
add_library(halvane_fuzz_host OBJECT sim/NullHost.cpp)
target_include_directories(halvane_fuzz_host PUBLIC src sim)
target_compile_options(halvane_fuzz_host PRIVATE ${HALVANE_SANITIZE_FLAGS} ${HALVANE_WARNINGS})

foreach(target settings settings_text keynames menu)
  add_executable(fuzz_${target} fuzz/${target}_fuzz.cpp $<TARGET_OBJECTS:halvane_fuzz_core>
                                $<TARGET_OBJECTS:halvane_fuzz_host>)
  target_include_directories(fuzz_${target} PRIVATE src sim)
  target_compile_options(fuzz_${target} PRIVATE ${HALVANE_FUZZ_FLAGS} ${HALVANE_WARNINGS})
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
