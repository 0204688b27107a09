# The same sources for 64-bit Windows: where the kernel cannot run 32-bit
# Wine, the Windows tests run on this build under 64-bit Wine instead.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
