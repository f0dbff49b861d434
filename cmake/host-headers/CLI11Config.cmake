# The host's header-only command-line parser for a cross build: its headers alone, through a
# folder that holds nothing else, so that none of the host's other headers reach the target's
# build.
if(NOT TARGET CLI11::CLI11)
    find_path(BH_HOST_CLI11_DIR CLI/CLI.hpp PATHS /usr/include /usr/local/include
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT BH_HOST_CLI11_DIR)
        set(CLI11_FOUND FALSE)
        return()
    endif()
    set(headers ${CMAKE_BINARY_DIR}/host-headers)
    file(MAKE_DIRECTORY ${headers})
    if(NOT EXISTS ${headers}/CLI)
        file(CREATE_LINK ${BH_HOST_CLI11_DIR}/CLI ${headers}/CLI SYMBOLIC)
    endif()
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${headers})
endif()
