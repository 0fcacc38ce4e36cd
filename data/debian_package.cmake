# The Debian package, built from the install rules of data/CMakeLists.txt:
#
#   cmake -S . -B build && cmake --build build -j2 && (cd build && cpack -G DEB)
#
# gives build/dalvo_<version>_<arch>.deb, installable with `apt-get install ./dalvo_*.deb`.
# dpkg-shlibdeps (package dpkg-dev) reads the programs' dynamic links and writes the library
# dependencies (Qt 6, the C and C++ runtimes); what it cannot see is listed by hand below.

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
# X11 or Wayland is loaded at run time and so invisible to dpkg-shlibdeps.
if(TARGET dalvogui)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()

include(CPack)
