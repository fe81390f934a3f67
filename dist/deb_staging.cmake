# Run by CPack on the staged Debian package before it is packed. Debian keeps games'
# programs in /usr/games and their data in /usr/share/games/<name>, where "cmake --install"
# puts bin/ and share/spinvale (the programs look in both places). Stripping leaves the
# compilers' notes (.comment) in the programs; Debian's packages do without them.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(RENAME ${usr}/bin ${usr}/games)
file(MAKE_DIRECTORY ${usr}/share/games)
file(RENAME ${usr}/share/spinvale ${usr}/share/games/spinvale)
file(GLOB programs ${usr}/games/*)
execute_process(COMMAND ${CPACK_SPINVALE_STRIP} --remove-section=.comment ${programs}
    COMMAND_ERROR_IS_FATAL ANY)
