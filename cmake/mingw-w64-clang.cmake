# Cross-compiles the Windows plug-in with clang for the mingw-w64 target,
# linked by lld against the same mingw-w64 headers and libraries as the gcc
# build: a second compiler over the same source.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HALVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${HALVANE_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${HALVANE_MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${HALVANE_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${HALVANE_MINGW_PREFIX}-dlltool)
# The C++ library and the compiler runtime of the gcc build (posix thread
# model), which clang does not find by itself under a folder named "12-posix".
file(GLOB HALVANE_MINGW_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/${HALVANE_MINGW_PREFIX}/*-posix)
set(HALVANE_LIBSTDCXX ${HALVANE_MINGW_GCC_DIR}/include/c++)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${HALVANE_LIBSTDCXX} -isystem ${HALVANE_LIBSTDCXX}/${HALVANE_MINGW_PREFIX} -isystem ${HALVANE_LIBSTDCXX}/backward")
# The posix thread model's C++ library needs winpthread, which gcc adds by
# itself (lld takes libraries in any order).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${HALVANE_MINGW_GCC_DIR} -lpthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${HALVANE_MINGW_GCC_DIR} -lpthread")
set(CMAKE_FIND_ROOT_PATH /usr/${HALVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
