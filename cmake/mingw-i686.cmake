# 32-bit Windows (PE32): the product. Debian's `wine` script runs it with the 32-bit loader.
set(RM_MINGW_ARCH i686)
set(RM_WINE wine)
set(RM_WINE_ENV)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
