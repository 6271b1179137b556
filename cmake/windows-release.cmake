# The release a Windows player downloads: zantobel-<version>-win64.zip in the build folder,
# holding a folder of the same name with the game, the command-line tool and a short read-me.
set(ZANTOBEL_WINDOWS_RELEASE zantobel-${PROJECT_VERSION}-win64)

# Each program carries a version block, which Explorer shows in its properties: the project's
# version, the product name and what the program is.
function(zantobel_version_block target description)
    set(ZANTOBEL_VERSION_PROGRAM ${target})
    set(ZANTOBEL_VERSION_DESCRIPTION ${description})
    set(script ${CMAKE_BINARY_DIR}/version/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/platform/desktop/win32/version.rc.in ${script} @ONLY)
    target_sources(${target} PRIVATE ${script})
endfunction()
zantobel_version_block(zantobel "${PROJECT_DESCRIPTION}")
zantobel_version_block(zantobel-cli "${PROJECT_DESCRIPTION}: the engine on the command line")

set(ZANTOBEL_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/${ZANTOBEL_WINDOWS_RELEASE}.zip)
set(stage ${CMAKE_BINARY_DIR}/${ZANTOBEL_WINDOWS_RELEASE})
add_custom_command(
    OUTPUT ${ZANTOBEL_WINDOWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${ZANTOBEL_WINDOWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zantobel> $<TARGET_FILE:zantobel-cli> ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/windows-readme.txt
            ${stage}/README.txt
    COMMAND ${CMAKE_COMMAND} -E tar cf ${ZANTOBEL_WINDOWS_ZIP} --format=zip
            ${ZANTOBEL_WINDOWS_RELEASE}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DEPENDS zantobel zantobel-cli ${CMAKE_SOURCE_DIR}/docs/windows-readme.txt
    COMMENT "Packing ${ZANTOBEL_WINDOWS_RELEASE}.zip")
add_custom_target(zantobel_windows_zip ALL DEPENDS ${ZANTOBEL_WINDOWS_ZIP})

if(BUILD_TESTING)
    add_test(NAME WindowsRelease.ZipHoldsBothProgramsNeedingOnlySystemLibraries
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/release_zip.sh
                     ${ZANTOBEL_WINDOWS_ZIP} ${ZANTOBEL_WINDOWS_RELEASE} ${CMAKE_OBJDUMP})
    set_tests_properties(WindowsRelease.ZipHoldsBothProgramsNeedingOnlySystemLibraries
                         PROPERTIES LABELS windows)
    add_test(NAME WindowsRelease.BothProgramsShowTheirVersionInTheirProperties
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/version_block.sh
                     ${ZANTOBEL_WINDOWS_ZIP} ${ZANTOBEL_WINDOWS_RELEASE}
                     ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:version_info_check>
                     ${PROJECT_VERSION} "${PROJECT_DESCRIPTION}")
    set_tests_properties(WindowsRelease.BothProgramsShowTheirVersionInTheirProperties
                         PROPERTIES LABELS windows)
endif()
