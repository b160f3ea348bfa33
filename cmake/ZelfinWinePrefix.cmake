# The Wine prefix the cross-built test programs run in, made by the build: its first start takes
# a while, longer than CTest gives a test program to list its tests.
if(NOT ZELFIN_WINE_ENVIRONMENT OR TARGET zelfin_wine_prefix)
  return()
endif()
set(ZELFIN_WINE_PREFIX_READY ${CMAKE_BINARY_DIR}/wineprefix/system.reg)
add_custom_command(OUTPUT ${ZELFIN_WINE_PREFIX_READY}
  COMMAND env ${ZELFIN_WINE_ENVIRONMENT} ${ZELFIN_WINE_PREFIX_OVERRIDES} wineboot --init
  COMMAND env ${ZELFIN_WINE_ENVIRONMENT} wineserver --wait
  COMMENT "Creating the Wine prefix for the tests"
  VERBATIM)
add_custom_target(zelfin_wine_prefix ALL DEPENDS ${ZELFIN_WINE_PREFIX_READY})
