# `cpack -G DEB` in the build folder makes an installable Debian package of what `install`
# lays out: both programs with their manual pages, the guide, the menu entry, the icon and the
# type of locker files.
# Its library dependencies are read off the built programs by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME winvrls)
set(CPACK_PACKAGE_VENDOR "Winヴォレル developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file locker: put files away into enciphered locker files")
set(CPACK_PACKAGE_DESCRIPTION
    "Puts an ordinary file away into a locker file enciphered under a key password and takes it out again into a built-in picture and text viewer or an application of the user's choice. Includes vrl, the command-line front of the locking engine.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Winヴォレル developers <winvrls@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Picture formats beyond Qt's core come as plug-ins that no library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
# The package's own triggers refresh the desktop's caches after installing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
