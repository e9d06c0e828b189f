# 64-bit Windows (PE32+), for 64-bit hosts, run by 64-bit Wine (wine64.env names its loader and
# server).
set(RM_MINGW_ARCH x86_64)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/wine64.env RM_WINE_ENV REGEX "^[A-Z]+=")
list(FILTER RM_WINE_ENV INCLUDE REGEX "^WINE(LOADER|SERVER)=")
list(GET RM_WINE_ENV 0 RM_WINE)
string(REGEX REPLACE "^WINELOADER=" "" RM_WINE "${RM_WINE}")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
