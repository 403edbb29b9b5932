# The Debian package (scripts/package): the installed layout under /usr. Its dependencies come from
# dpkg-shlibdeps reading the programs and libraries, never from a hand-written list; the private
# libraries under /usr/lib/bidlark are found through the programs' RUNPATH.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bidlark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Bidlark developers")
set(CPACK_PACKAGE_CONTACT "${BIDLARK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion for auction buyers and sellers")
# Debian wraps nothing: lines of the long description stay under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "\
Bidlark signs in to the user's eBay account, downloads the My eBay page at a
chosen interval and shows the items watched, bid on, won, sold and unsold in a
tree, with alerts before auctions end and a view of the PayPal account.
The package also holds Arbor, the tree-list control that shows the items (an
in-process component that any host can create, with its headers, a CMake
package and a pkg-config file), the uninstaller with its log writer, and the
regsvr tool that registers component libraries.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Packaging takes the tree as built: scripts/package builds first, and a test that packages must
# never start a build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
