# The Debian package of the Linux program (`make deb`, or cpack -G DEB in the build tree):
# velta2 and its XScreenSaver settings description, with the libraries it links as dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velta2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Velta II developers <velta2@quillon.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velta II, twenty animated 3-D glyph scenes for XScreenSaver")
# Debian shows the description as it is wrapped here, so its lines stay under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "Velta II draws one of twenty animated 3-D scenes (glyph-textured
cylinders and spheres on tracks, orbits, grids, rings and spirals) with
OpenGL, fades from module to module and can play a short tune of its own.
It runs as an XScreenSaver hack, and its settings description lets
XScreenSaver's settings dialog choose the modules, the seconds per module
and the sound. velta2-wayland shows the same modules on Wayland desktops:
as a saver started by an idle daemon, as a live wallpaper, or in a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # velta2_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
include(CPack)
