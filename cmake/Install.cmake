# What a build installs beside the programs themselves: the command-line program, its shell
# completion, and the AppStream metadata of the desktop program.
include_guard(GLOBAL)
include(GNUInstallDirs)

install(TARGETS brackenhold-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(NOT WIN32)
    set(completion ${PROJECT_SOURCE_DIR}/resources/completion)
    install(FILES ${completion}/brackenhold-cli.bash
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME brackenhold-cli)
    install(FILES ${completion}/_brackenhold-cli
            DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
    install(FILES ${completion}/brackenhold-cli.fish
            DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endif()

if(BH_BUILD_GUI AND NOT WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/org.tallowmere.Brackenhold.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
