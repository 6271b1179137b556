# What the Windows build needs beyond the shared floors: programs linked statically (only
# the system's own DLLs at run time), GoogleTest built from its sources with the cross
# compiler, and the tests run under Wine in a prefix of the build folder's own.
if(NOT WIN32)
    message(FATAL_ERROR "cmake/windows.cmake is for the Windows build")
endif()

enable_language(RC)

# Nothing of MinGW's run time beside the .exe: libgcc, libstdc++ and winpthread go in.
add_link_options(-static)
# A release carries no symbols, which the download does not need.
add_link_options($<$<CONFIG:Release>:-s>)
# The Windows headers' min and max macros would break std::min and std::max.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

if(NOT BUILD_TESTING)
    return()
endif()

# ctest runs each cross-built test program through this script (Wine, private prefix).
set(ZANTOBEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(ZANTOBEL_WINE_FONTS ${CMAKE_SOURCE_DIR}/cmake/wine-fonts.reg)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
# The prefix is made at build time (about 10 to 30 s once): ctest lists each program's tests
# under Wine with a time limit of a few seconds, which a first start of Wine would exceed.
add_custom_command(OUTPUT ${ZANTOBEL_WINEPREFIX}/.zantobel-ready
                   COMMAND ${CMAKE_COMMAND} -E rm -f ${ZANTOBEL_WINEPREFIX}/.zantobel-ready
                   COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --prepare
                   DEPENDS ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${ZANTOBEL_WINE_FONTS}
                   COMMENT "Making the Wine prefix for the tests")
add_custom_target(zantobel_wine_prefix ALL DEPENDS ${ZANTOBEL_WINEPREFIX}/.zantobel-ready)
# Listing a program's tests starts Wine; do it when ctest runs, not after every link.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# The installed libgtest is a Linux library; Debian ships the sources too.
set(ZANTOBEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
if(NOT EXISTS ${ZANTOBEL_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${ZANTOBEL_GTEST_SOURCE} "
                        "(Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${ZANTOBEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources do not build warning-free with -Werror under MinGW.
foreach(target gtest gtest_main)
    target_compile_options(${target} PRIVATE -w)
endforeach()
# Its own build defines GTest::gtest and GTest::gtest_main, as find_package does on Linux.

# The test folders built for Windows: the floors whose tests are headless and use no
# Linux-only tool.
set(ZANTOBEL_WINDOWS_TEST_FOLDERS game ai retained view windows)
