# Where `cmake --install` and the Debian package put Glimmerbox, in the
# freedesktop places below the prefix.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(GLIMMERBOX_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(TARGETS glimmerbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The display-service library installs itself into lib/glimmerbox.

install(FILES ${GLIMMERBOX_DATA_DIR}/glimmerbox.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${GLIMMERBOX_DATA_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Device access rules (input devices, uinput, I2C buses) and the libinput
# quirks, wherever under data/ their owners keep them. udev and libinput read
# them only below /usr, which is the package's prefix.
file(GLOB_RECURSE glimmerbox_udev_rules CONFIGURE_DEPENDS ${GLIMMERBOX_DATA_DIR}/*.rules)
install(FILES ${glimmerbox_udev_rules} DESTINATION lib/udev/rules.d)
# The I2C device nodes exist only with i2c-dev loaded: load it at every boot.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/glimmerbox-i2c-dev.conf "i2c-dev\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/glimmerbox-i2c-dev.conf
        DESTINATION lib/modules-load.d RENAME glimmerbox.conf)
file(GLOB_RECURSE glimmerbox_quirks CONFIGURE_DEPENDS ${GLIMMERBOX_DATA_DIR}/*.quirks)
install(FILES ${glimmerbox_quirks} DESTINATION ${CMAKE_INSTALL_DATADIR}/libinput)
# The help page the permission banner opens, and the input rules it names,
# where the program looks for them: <prefix>/share/glimmerbox.
install(DIRECTORY ${CMAKE_BINARY_DIR}/install-data/help DESTINATION ${CMAKE_INSTALL_DATADIR}/glimmerbox
        OPTIONAL)
install(FILES ${glimmerbox_udev_rules} DESTINATION ${CMAKE_INSTALL_DATADIR}/glimmerbox/udev)

set(CPACK_PACKAGE_NAME glimmerbox)
set(CPACK_PACKAGE_VENDOR "Glimmerbox")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "External-monitor brightness from the system tray")
set(CPACK_PACKAGE_DESCRIPTION
    "Sets an external monitor's brightness over DDC/CI, takes over the brightness keys, shows a\
 brightness HUD and offers a popover under its tray icon. Dims in software when no monitor\
 accepts DDC/CI.")
set(CPACK_PACKAGE_CONTACT "Glimmerbox maintainers <glimmerbox@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
