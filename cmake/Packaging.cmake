# Install layout and the Debian package.
#
# Included at the end of the top-level CMakeLists.txt, after src/, so the
# program's target is already known here. `cmake --install` puts the program
# in bin/, the desktop entry, the icons (hicolor PNGs plus scalable SVG) and
# the AppStream metainfo under share/; `cpack` turns that tree into a .deb.

include(GNUInstallDirs)

set(_lirvane_packaging "${PROJECT_SOURCE_DIR}/packaging")
# Keep in step with scripts/render-icons.sh and the window icon in src/app.
set(_lirvane_icon_sizes 16 22 24 32 48 64 128 256)

if(TARGET mernalt-lirvane)
  install(TARGETS mernalt-lirvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  message(STATUS "No mernalt-lirvane target yet: install rules cover only the data files")
endif()

install(FILES "${_lirvane_packaging}/mernalt-lirvane.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${_lirvane_packaging}/io.github.mernalt.lirvane.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${_lirvane_packaging}/icons/mernalt-lirvane.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS _lirvane_icon_sizes)
  install(FILES "${_lirvane_packaging}/icons/png/mernalt-lirvane-${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME mernalt-lirvane.png)
endforeach()

if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

# The Maintainer field of the .deb; a release build should set the real one.
set(LIRVANE_PACKAGE_MAINTAINER "The Mernalt Lirvane developers <maintainers@mernalt.invalid>"
    CACHE STRING "Maintainer written into the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mernalt-lirvane)
set(CPACK_PACKAGE_VENDOR "The Mernalt Lirvane developers")
set(CPACK_PACKAGE_CONTACT "${LIRVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list the background music of a QQ Zone space")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Mernalt Lirvane shows the songs a QQ user has chosen as the background music\n"
    "of their QQ Zone space. Type the account number, press the fetch button, and\n"
    "each song appears in a list with its title, singer and network address; a\n"
    "right click copies a title or an address to the clipboard.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # mernalt-lirvane_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from dpkg-shlibdeps (package dpkg-dev) reading the binary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's labels and most song titles are Chinese; without a CJK font
# they show as empty boxes, but the program still works.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
