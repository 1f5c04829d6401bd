# Install rules and the Debian package (`make package`).
include(GNUInstallDirs)

install(TARGETS linktally RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The shipped defaults; their presence also tells the program it runs from an installed
# tree, so it keeps its files in the XDG directories.
install(FILES data/Linktally.ini data/linktally.gif
        DESTINATION ${CMAKE_INSTALL_DATADIR}/linktally)
foreach(size 16 32 48 64 128 256)
  install(FILES data/icons/linktally-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME linktally.png)
endforeach()
install(FILES data/linktally.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/org.linktally.LinkTally.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/org.linktally.LinkTally.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/linktally.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian keeps the licence of a package beside its documentation.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/linktally RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linktally)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VENDOR "The LinkTally developers")
set(CPACK_PACKAGE_CONTACT "The LinkTally developers <linktally@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Time and cost of your Internet connection sessions")
set(CPACK_PACKAGE_DESCRIPTION
    "LinkTally notices every second whether the computer is on line and by which way, \
times and prices each session from the user's tariff, keeps every session in a history, \
charts time and cost per session, day, week and month, can cut the connection when an \
allowance is used up or inside a time window, and can set the clock from a time server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Hanging up goes through NetworkManager or pppd, whichever the machine has.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "network-manager | ppp")
include(CPack)
