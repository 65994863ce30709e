# What `cmake --install` puts in place for the terminal program, in the GNU layout: the program,
# its manual page (given the project's version) and its documentation.
include(GNUInstallDirs)
configure_file(${PROJECT_SOURCE_DIR}/docs/zorvendale.6.in ${PROJECT_BINARY_DIR}/zorvendale.6 @ONLY)
install(TARGETS zorvendale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/zorvendale.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Installing and packaging need only the program, not the tests and benchmarks that "all" also
# builds: they take what has been built (scripts/package builds the program first).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
