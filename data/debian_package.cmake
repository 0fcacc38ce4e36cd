# The Debian package, built from the install rules of data/CMakeLists.txt. ./run.sh configures
# build-run/ as the package wants it (Release, no tests, the distribution's hardening flags), so
#
#   ./run.sh && (cd build-run && cpack -G DEB)
#
# gives build-run/dalvo_<version>_<arch>.deb, installable with `apt-get install ./dalvo_*.deb`,
# and `lintian --pedantic` on it reports nothing. dpkg-shlibdeps (package dpkg-dev) reads the
# programs' dynamic links and writes the library dependencies (Qt 6, the C and C++ runtimes);
# what it cannot see is listed by hand below.

# Whether this build has the hardening flags is checked when cpack runs, not here: a developer's
# build is seldom packaged, and its configure stays free of the note.
set(CPACK_DALVO_DISTRO_FLAGS ${DALVO_DISTRO_FLAGS})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/package_time_checks.cmake)

set(DALVO_PACKAGE_MAINTAINER "dalvo developers <dalvo@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dalvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DALVO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "long numbers from a verse table, tested for divisibility by 19")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME dalvo)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DALVO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The synopsis is the summary above; CPack indents the long text and marks its empty line.
set(CPACK_PACKAGE_DESCRIPTION
"dalvo builds 22 very long decimal numbers (235 to 37102 digits) from a
compiled-in table of the verse counts of 114 suras and tests any number for
divisibility by 19 with a streaming long division that prints the quotient,
the number of digits read and a verdict.

The package holds the console engine dalvo, which generates and divides from
the command line, and the desktop program dalvogui, which runs the engine in a
private work directory, lists the generated files and shows the division
reports.")

# The windowed program links only Qt's libraries; the platform plugin that opens a window on
# X11 or Wayland and the SVG icon engine that draws the window icon are loaded at run time and
# so invisible to dpkg-shlibdeps. The status line's face is DejaVu Sans where it is installed.
if(TARGET dalvogui)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
endif()

include(CPack)
