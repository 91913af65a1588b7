# The Debian package: cmake --build build --target package (or cpack -G DEB in build/) makes
# calsetup_<version>_<arch>.deb of everything "cmake --install" puts in place, under /usr.
# Included from the top CMakeLists.txt, since CPack reads the variables of the top directory.

set(CALSETUP_MAINTAINER "calsetup maintainers <maintainers@users.noreply.c-seed-a653a7ae.example>" CACHE STRING
    "The package's maintainer, \"Name <address>\"")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calsetup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs are built with debugging information; the package carries them stripped.
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_CONTACT "${CALSETUP_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CALSETUP_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CALSETUP_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# calsetup_1.0.0_amd64.deb: the architecture is dpkg's own name for it.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link (Qt, libftdi1, ...) become Depends as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The completion of calsetup-cli is loaded by bash-completion.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
# The first line is the synopsis; CPack indents the rest and writes the empty line as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "set up and calibrate multi-product calibrators
A desktop program for the calibration engineer who brings a 5200-family or
5600 multi-product calibrator, or the 6481 reference DMM, into service: it
finds the instrument on RS-232, GPIB, USB or Ethernet, reads, edits, backs up
and writes its calibration factors and specification table, sets its clock
and passwords, runs the adjustment procedures and reads its calibration
history.

calsetup-cli runs the same operations from a shell or a script; calsim is a
virtual calibrator to try everything on without hardware. A udev rule gives
the user at the seat the FTDI USB bridges and GPIB boards; serial ports need
membership of the dialout group.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
