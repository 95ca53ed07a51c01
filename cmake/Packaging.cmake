# The Debian package (scripts/package): what "cmake --install" lays out, under /usr. Its
# library dependencies come from dpkg-shlibdeps; it has no maintainer scripts (the desktop
# and icon caches are refreshed by the triggers of the packages that own them).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane3)
set(CPACK_PACKAGE_VENDOR Tallowmere)
set(CPACK_PACKAGE_CONTACT "Tallowmere <support@quorvane.example.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "news ticker RSS reader for the desktop")
# Lines of the long description as the control file wants them: short, one per line.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Quorvane3 patrols RSS 0.9x, 1.0 and 2.0 feeds in the background and shows"
  "fresh articles one headline at a time in a small ticker window, with the site"
  "title and the date; one click opens the article in the web browser."
  "The site list is kept in folders in an OPML file and edited in the main"
  "window, reached through the notification-area icon. Feeds and site lists can"
  "be handed to it from the browser (feed: links) and the file manager."
  "Its user interface speaks Japanese, or English where the desktop prefers it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvane.example.jp/qvr3/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese glyphs and the Japanese texts of Qt's own buttons (the program's own English
# texts are in the package); sites' icons in WebP and the other formats beyond Qt's own; the
# native Wayland platform for sessions without XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk, qt6-translations-l10n, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
