# Fails when a core source reaches past its ports: a Qt, POSIX or Windows header, a header of
# the platform layer or of a front end, or a core folder above its own. The folders, lowest
# first; each may include its own and those before it.
set(layers ports base document view operations app)

file(GLOB_RECURSE sources ${CORE_DIR}/*.h ${CORE_DIR}/*.cpp)
set(bad "")
foreach(source ${sources})
    file(STRINGS ${source} lines REGEX
         "^[ \t]*#[ \t]*include[ \t]*(<(Q|unistd|fcntl|dirent|windows|sys/|pthread|dlfcn|poll)|\"(platform|gui|cli)/)")
    if(lines)
        list(APPEND bad "${source}: ${lines}")
    endif()

    file(RELATIVE_PATH relative ${CORE_DIR} ${source})
    string(REGEX REPLACE "/.*" "" folder "${relative}")
    list(FIND layers "${folder}" own)
    if(own EQUAL -1)
        list(APPEND bad "${source}: folder ${folder} is not a known layer")
        continue()
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"core/")
    foreach(include ${includes})
        string(REGEX REPLACE ".*\"core/([^/]*)/.*" "\\1" target "${include}")
        list(FIND layers "${target}" theirs)
        if(theirs EQUAL -1 OR theirs GREATER own)
            list(APPEND bad "${source}: ${include} (from ${folder})")
        endif()
    endforeach()
endforeach()
if(bad)
    string(REPLACE ";" "\n" bad "${bad}")
    message(FATAL_ERROR "core includes outside its layers:\n${bad}")
endif()
