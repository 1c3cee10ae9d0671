# The Debian package (cpack -G DEB; tools/package.sh builds it). Its
# dependencies come from dpkg-shlibdeps on the installed programs, so they
# name exactly the libraries the build linked, at the versions it saw.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nemora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vostel")
set(CPACK_PACKAGE_CONTACT "Vostel Nemora developers <nemora@vostel.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lock HTML pages with a password")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "lock HTML pages with a password
 Nemora protects a web page with a password: it writes the page compressed
 and enciphered, with a loader page that takes its place on the web server.
 Without the password the page's text never reaches the visitor's browser.
 .
 This package holds the window program nemora and the command-line tool
 nemora-cli, which also locks whole sites.")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vostel.jp/nemora/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window speaks Japanese: Qt's own dialogs in Japanese, and a font that has it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
