# The host's header-only JSON library for a cross build: its headers alone, through a folder
# that holds nothing else, so that none of the host's other headers reach the target's build.
if(NOT TARGET nlohmann_json::nlohmann_json)
    find_path(BH_HOST_NLOHMANN_DIR nlohmann/json.hpp PATHS /usr/include /usr/local/include
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT BH_HOST_NLOHMANN_DIR)
        set(nlohmann_json_FOUND FALSE)
        return()
    endif()
    set(headers ${CMAKE_BINARY_DIR}/host-headers)
    file(MAKE_DIRECTORY ${headers})
    if(NOT EXISTS ${headers}/nlohmann)
        file(CREATE_LINK ${BH_HOST_NLOHMANN_DIR}/nlohmann ${headers}/nlohmann SYMBOLIC)
    endif()
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                          INTERFACE_INCLUDE_DIRECTORIES ${headers})
endif()
