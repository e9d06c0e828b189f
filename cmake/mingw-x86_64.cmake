# 64-bit Windows (PE32+), for 64-bit hosts. Debian's `wine` script picks the 32-bit loader
# whenever wine32 is installed, so the 64-bit loader and server are named here.
set(RM_MINGW_ARCH x86_64)
set(RM_WINE /usr/lib/wine/wine64)
set(RM_WINE_ENV WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
