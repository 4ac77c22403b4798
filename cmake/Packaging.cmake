# The exported CMake package of the libraries, and the Debian package of everything.
include(CMakePackageConfigHelpers)

set(COORDCONV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/coordconv)
install(EXPORT coordconvTargets NAMESPACE coordconv:: DESTINATION ${COORDCONV_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/coordconvConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/coordconvConfig.cmake INSTALL_DESTINATION ${COORDCONV_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/coordconvConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/coordconvConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/coordconvConfigVersion.cmake
        DESTINATION ${COORDCONV_CMAKE_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME coordconv)
set(CPACK_PACKAGE_VENDOR "coordconv developers")
set(CPACK_PACKAGE_CONTACT "${COORDCONV_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "recompute coordinates between the Russian and global datums")
# One string (several would be joined into a list with ";"), one line of the control
# file's description per line here.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "coordconv recomputes the coordinates of points between the geodetic datums\n"
    "WGS-84, PZ-90 and SK-42 (Krasovsky ellipsoid), and for files of points also\n"
    "PZ-90.11, GSK-2011 and SK-95 with the parameters of GOST 32453-2017:\n"
    "geocentric X, Y, Z, geodetic latitude, longitude and height, and Gauss-Krüger\n"
    "plane coordinates in six-degree zones. It comes as a desktop window for one\n"
    "point, as coordconv-batch, a window for whole files of points, as\n"
    "coordconv-cli for the command line, and as a C++ library with its headers\n"
    "and CMake package.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries it links: Qt's platform plugins, Qt's translations (the batch window
# loads qtbase_ru for the file dialogs and standard buttons), and a font with Cyrillic.
# proj-data: the EGM96 grid of the built-in geoid model egm96.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, proj-data")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
include(CPack)
