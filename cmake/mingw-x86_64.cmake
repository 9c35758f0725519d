# 64-bit Windows (PE32+): the same sources, for test machines whose kernel
# cannot run Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
