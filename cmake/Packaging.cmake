# The Debian package (`make package`, or cpack in a build folder configured for /usr):
# zantobel_<version>_<arch>.deb with the programs in /usr/games, its library dependencies
# computed from the programs, and the fonts the dialogs are laid out for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zantobel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The ZANTOBEL developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reversi game with a 3D board")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZANTOBEL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZANTOBEL_HOMEPAGE})
# The long description under the summary; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZANTOBEL is a game of reversi whose board, discs and their shadows are drawn
in 3D, with the discs turning over as they are won. Play against the computer
at five strengths with either colour, two people at one mouse, or watch the
computer play itself; the arrow keys move the camera.

The menus and dialogs are in Japanese. The package also has zantobel-cli, the
game's engine on the command line (move generation counts, analysis, whole
headless games, pictures of the board).")

include(CPack)
