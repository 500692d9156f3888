# Install rules and the Debian package.
#
#   bin/zoduzor, bin/dataquill                 (games/ in the Debian package)
#   <libdir>/zoduzor/librastrum.so            found by the game through its RPATH
#   share/zoduzor/data, share/zoduzor/res     the default content
#   share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/<size>/apps/<id>.png (and scalable/apps/<id>.svg)
#   share/man/man6/zoduzor.6.gz, dataquill.6.gz
#   share/doc/zoduzor/copyright, changelog.gz
include_guard()
include(GNUInstallDirs)
include(ZoduzorBuildInfo)

set(ZODUZOR_APP_ID org.zoduzor.Zoduzor)
set(ZODUZOR_HOMEPAGE "https://zoduzor.org/" CACHE STRING
    "The project's home page, named by the package and the AppStream metadata")
set(ZODUZOR_SCREENSHOT_URL "https://zoduzor.org/screens/" CACHE STRING
    "Where the pictures of docs/screens are published, for the AppStream metadata")
set(ZODUZOR_MAINTAINER "Zoduzor developers <dev@zoduzor.org>" CACHE STRING
    "The Debian package's maintainer")
string(SUBSTRING "${ZODUZOR_RELEASE_DATE}" 0 4 ZODUZOR_COPYRIGHT_YEAR)
string(TIMESTAMP now_rfc2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ZODUZOR_RELEASE_DATE_RFC2822 "${now_rfc2822}")
if(ZODUZOR_GIT_COMMIT)
    # The commit's date, so that the package does not change from day to day.
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%cD
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE commit_date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(commit_date)
        set(ZODUZOR_RELEASE_DATE_RFC2822 "${commit_date}")
    endif()
endif()

# The game finds its imaging library in a folder of its own.
set(private_libdir ${CMAKE_INSTALL_LIBDIR}/zoduzor)
file(RELATIVE_PATH lib_from_bin "${CMAKE_INSTALL_FULL_BINDIR}"
    "${CMAKE_INSTALL_FULL_LIBDIR}/zoduzor")
# One search path serves the build folder, where the library lies beside the
# game, and the installed tree. A path changed at install would be written
# over the build's in place, and CMake ends the build's with an empty entry to
# make room: the loader reads an empty entry as the folder the game is
# started from.
set_target_properties(zoduzor PROPERTIES
    INSTALL_RPATH "$ORIGIN/${lib_from_bin};$ORIGIN"
    BUILD_WITH_INSTALL_RPATH ON)

install(TARGETS zoduzor dataquill RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS rastrum LIBRARY DESTINATION ${private_libdir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/game/data ${PROJECT_SOURCE_DIR}/game/res
    DESTINATION ${CMAKE_INSTALL_DATADIR}/zoduzor
    PATTERN "*.tmp" EXCLUDE PATTERN "*.list" EXCLUDE)

# Desktop entry, AppStream metadata, icons.
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(gen ${PROJECT_BINARY_DIR}/packaging)
configure_file(${pkg}/${ZODUZOR_APP_ID}.metainfo.xml.in ${gen}/${ZODUZOR_APP_ID}.metainfo.xml @ONLY)
# A program in bin/ is found on every PATH; elsewhere (Debian's /usr/games)
# the entry names it whole.
if(CMAKE_INSTALL_BINDIR STREQUAL "bin")
    set(ZODUZOR_EXEC zoduzor)
else()
    set(ZODUZOR_EXEC ${CMAKE_INSTALL_FULL_BINDIR}/zoduzor)
endif()
configure_file(${pkg}/${ZODUZOR_APP_ID}.desktop.in ${gen}/${ZODUZOR_APP_ID}.desktop @ONLY)
install(FILES ${gen}/${ZODUZOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${gen}/${ZODUZOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${pkg}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the package's documents, compressed as Debian wants them.
set(compressed)
foreach(page zoduzor.6 dataquill.6)
    configure_file(${pkg}/man/${page}.in ${gen}/${page} @ONLY)
    list(APPEND compressed ${gen}/${page})
endforeach()
configure_file(${pkg}/changelog.in ${gen}/changelog @ONLY)
list(APPEND compressed ${gen}/changelog)
set(gz_files)
foreach(file ${compressed})
    add_custom_command(OUTPUT ${file}.gz
        COMMAND gzip -9nfk ${file}
        DEPENDS ${file} VERBATIM)
    list(APPEND gz_files ${file}.gz)
endforeach()
add_custom_target(zoduzor_docs ALL DEPENDS ${gz_files})
install(FILES ${gen}/zoduzor.6.gz ${gen}/dataquill.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
configure_file(${pkg}/copyright.in ${gen}/copyright @ONLY)
install(FILES ${gen}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zoduzor)

# The Debian package (scripts/package.sh): its dependencies on shared
# libraries are worked out by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zoduzor)
set(CPACK_PACKAGE_VENDOR "Zoduzor developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZODUZOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vertical shoot-'em-up with colour shields")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Steer one ship through waves of falling enemies, shield it in red, green,
blue or yellow, and beat a boss at the end of every level. Levels, enemies,
bosses and bullets are small text files; the data writer Dataquill comes
with the game, and files in the player's own data folder replace the
installed ones.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZODUZOR_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-bebas-neue")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
