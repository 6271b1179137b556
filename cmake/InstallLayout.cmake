# Where an install puts the programs and their run-time files, and where each program looks for
# those files: a path relative to its own folder, the same in the build tree as wherever the
# installed tree lands, so no path of the build machine is baked into a program.
include(GNUInstallDirs)

set(ZANTOBEL_INSTALL_GAMESDIR ${CMAKE_INSTALL_BINDIR} CACHE STRING
    "Where the two programs are installed, relative to the prefix (Debian's games: games)")
set(ZANTOBEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zantobel)

# The data folder seen from the installed programs' folder, e.g. ../share/zantobel.
cmake_path(ABSOLUTE_PATH ZANTOBEL_INSTALL_GAMESDIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           NORMALIZE OUTPUT_VARIABLE zantobel_games_full)
cmake_path(ABSOLUTE_PATH ZANTOBEL_INSTALL_DATADIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           NORMALIZE OUTPUT_VARIABLE zantobel_data_full)
file(RELATIVE_PATH ZANTOBEL_DATA_FROM_PROGRAMS ${zantobel_games_full} ${zantobel_data_full})

# The build tree keeps its copy of the run-time files next to the programs, at the top of the
# build folder, under this name.
set(ZANTOBEL_BUILD_DATA_FROM_PROGRAMS share/zantobel)
set(ZANTOBEL_BUILD_DATADIR ${CMAKE_BINARY_DIR}/${ZANTOBEL_BUILD_DATA_FROM_PROGRAMS})

# Folders an install creates are rwxr-xr-x whatever the umask, as packages expect.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
