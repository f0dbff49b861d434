# Desktop integration installed beside the program: the launcher entry, the icon in every
# size, and the MIME type that lets file managers open backup managers with the program.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(BH_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${BH_RESOURCES_DIR}/org.tallowmere.Brackenhold.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${BH_RESOURCES_DIR}/brackenhold-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME brackenhold.xml)
install(FILES ${BH_RESOURCES_DIR}/brackenhold.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(side 16 32 48 64 128 256)
    install(FILES ${BH_RESOURCES_DIR}/icons/brackenhold-${side}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps
            RENAME brackenhold.png)
endforeach()

# Installed straight into a live prefix (no DESTDIR staging), refresh the desktop's caches
# so that the type and the launcher are known at once. Packages do this in their triggers.
install(CODE [[
    if("$ENV{DESTDIR}" STREQUAL "")
        find_program(BH_UPDATE_MIME update-mime-database)
        if(BH_UPDATE_MIME)
            execute_process(COMMAND ${BH_UPDATE_MIME} "${CMAKE_INSTALL_PREFIX}/share/mime"
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
        find_program(BH_UPDATE_DESKTOP update-desktop-database)
        if(BH_UPDATE_DESKTOP)
            execute_process(COMMAND ${BH_UPDATE_DESKTOP} "${CMAKE_INSTALL_PREFIX}/share/applications"
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
    endif()
]])
