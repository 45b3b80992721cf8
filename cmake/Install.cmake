# Where `cmake --install` and the Debian package put Glimmerbox, in the
# freedesktop places below the prefix.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(GLIMMERBOX_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(TARGETS glimmerbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The display-service library installs itself into lib/glimmerbox.

include(${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake)

# Software centres find the program by its AppStream id, which the desktop
# file's name, the session-bus name and the metadata share.
set(GLIMMERBOX_APP_ID org.glimmerbox.Glimmerbox)
install(FILES ${GLIMMERBOX_DATA_DIR}/${GLIMMERBOX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Where the screenshots in docs/ are published, for the AppStream metadata.
set(GLIMMERBOX_HOMEPAGE "https://glimmerbox.c-seed-6c8c7ab9.example/"
    CACHE STRING "The project's web page, ending in /")
configure_file(${GLIMMERBOX_DATA_DIR}/metainfo/${GLIMMERBOX_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install-data/${GLIMMERBOX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install-data/${GLIMMERBOX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${GLIMMERBOX_DATA_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# The session-bus interface, where bus browsers and binding generators look.
install(FILES ${GLIMMERBOX_DATA_DIR}/dbus/org.glimmerbox.Glimmerbox1.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/interfaces)

# Access to the keyboards and uinput for the key takeover (the I2C rule
# installs itself with the display-service library), the libinput quirks for
# the virtual keyboards, and the module loader for the I2C device nodes. udev,
# libinput and modules-load read them only below /usr, the package's prefix.
set(GLIMMERBOX_INPUT_RULES ${GLIMMERBOX_DATA_DIR}/udev/70-glimmerbox-input.rules)
install(FILES ${GLIMMERBOX_INPUT_RULES} DESTINATION lib/udev/rules.d)
install(FILES ${GLIMMERBOX_DATA_DIR}/libinput/50-glimmerbox.quirks
        DESTINATION ${CMAKE_INSTALL_DATADIR}/libinput)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/glimmerbox-i2c-dev.conf "i2c-dev\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/glimmerbox-i2c-dev.conf
        DESTINATION lib/modules-load.d RENAME glimmerbox.conf)

# The key service's socket and service units and its system account.
install(FILES ${GLIMMERBOX_DATA_DIR}/systemd/glimmerbox-keys.socket
              ${GLIMMERBOX_DATA_DIR}/systemd/glimmerbox-keys.service
        DESTINATION lib/systemd/system)
install(FILES ${GLIMMERBOX_DATA_DIR}/sysusers/glimmerbox-keys.conf DESTINATION lib/sysusers.d)

# The help page the permission banner opens, where the program looks for it:
# <prefix>/share/glimmerbox.
install(FILES ${CMAKE_BINARY_DIR}/install-data/help/index.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/glimmerbox/help)

set(CPACK_PACKAGE_NAME glimmerbox)
set(CPACK_PACKAGE_VENDOR "Glimmerbox")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "External-monitor brightness from the system tray")
# Lines under 80 columns: package managers show them as they are.
set(CPACK_PACKAGE_DESCRIPTION
    "Sets an external monitor's brightness over DDC/CI, takes over the brightness
keys, shows a brightness HUD and offers a popover under its tray icon. Dims in
software when no monitor accepts DDC/CI. Scripts, compositor key bindings and
panels set and read the level from the command line or over the session bus.")
# The identity the project's own commits carry: a reserved domain, so no mail
# can reach a stranger; replace it here and in the changelog with a
# deliverable address once the project has one.
set(CPACK_PACKAGE_CONTACT
    "Glimmerbox maintainers <maintainers@users.noreply.c-seed-6c8c7ab9.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, systemd")
# The popover's key hint is a pair of emoji; on wlroots compositors and
# Plasma the popover and the HUD place themselves through Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-color-emoji, qt6-wayland")
# Stock GNOME shows no tray icons without this extension.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/prerm ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
