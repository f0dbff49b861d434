# Writes gui/BuildConfig.h from the deployment cache variables and lets bh_gui include it.
include_guard(GLOBAL)

file(RELATIVE_PATH BH_INSTALLED_MANUAL ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/doc/brackenhold/manual.html)
file(RELATIVE_PATH BH_BUILD_TREE_MANUAL ${CMAKE_CURRENT_BINARY_DIR} ${BH_MANUAL_HTML})
set(BH_BUILD_CONFIG_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in
               ${BH_BUILD_CONFIG_DIR}/gui/BuildConfig.h @ONLY)
target_include_directories(bh_gui PUBLIC ${BH_BUILD_CONFIG_DIR})
