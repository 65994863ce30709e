# Run by CPack on the staged files, before it makes the Debian package: what `cmake --install`
# installs, laid out as Debian policy asks of a game. The program moves to /usr/games, the manual
# page is compressed, the licence becomes the copyright file and the Debian changelog is added.
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(name ${CPACK_PACKAGE_NAME})
set(doc ${root}/${CPACK_ZORVENDALE_DOCDIR})

# A release whose changelog was not brought up to date is not packaged.
file(STRINGS ${CPACK_ZORVENDALE_CHANGELOG} newest LIMIT_COUNT 1)
string(REPLACE "." "\\." version_pattern "${CPACK_PACKAGE_VERSION}")
if(NOT newest MATCHES "^${name} \\(${version_pattern}\\) ")
    message(FATAL_ERROR "${CPACK_ZORVENDALE_CHANGELOG}: the newest entry is not for version "
                        "${CPACK_PACKAGE_VERSION}: ${newest}")
endif()

file(MAKE_DIRECTORY ${root}/games)
file(RENAME ${root}/${CPACK_ZORVENDALE_BINDIR}/${name} ${root}/games/${name})
file(REMOVE_RECURSE ${root}/${CPACK_ZORVENDALE_BINDIR})
file(RENAME ${doc}/LICENSE ${doc}/copyright)
file(COPY_FILE ${CPACK_ZORVENDALE_CHANGELOG} ${doc}/changelog)
execute_process(COMMAND gzip -9n ${doc}/changelog ${root}/${CPACK_ZORVENDALE_MANDIR}/man6/${name}.6
                COMMAND_ERROR_IS_FATAL ANY)
