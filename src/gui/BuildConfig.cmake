# Writes gui/BuildConfig.h from the deployment cache variables and lets bh_gui include it.
include_guard(GLOBAL)

set(BH_BUILD_CONFIG_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in
               ${BH_BUILD_CONFIG_DIR}/gui/BuildConfig.h @ONLY)
target_include_directories(bh_gui PUBLIC ${BH_BUILD_CONFIG_DIR})
