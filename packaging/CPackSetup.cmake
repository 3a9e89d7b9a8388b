# The Debian package: `cpack -G DEB` in a Release build folder (`make package`) makes
# brimlark_<version>_<arch>.deb of the installed tree, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brimlark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brimlark developers")
set(CPACK_PACKAGE_CONTACT "${BRIMLARK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRIMLARK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# brimlark_<version>_<arch>.deb, the name Debian's tools give a package.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis, then the extended description under it (CPack indents its lines, and writes an
# empty one as Debian's paragraph break).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live status panel at the top centre of the screen")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brimlark turns the strip at the top centre of the screen into an interactive
panel. Closed, it shows a compact live status: an AI coding tool asking for
input, a running countdown, a calendar alert or the media that is playing.
Opened, it offers quick actions, media and timers, notes, calendar,
reminders, an app batch, the AI hooks and a file shelf.

It installs hooks into Claude Code and Codex CLI and receives their events
on 127.0.0.1:43434.")
# Stripped binaries: the debug information stays in the build folder.
set(CPACK_STRIP_FILES ON)
# The libraries it links, as dpkg-shlibdeps finds them in the executable and the modules, plus what
# it runs without linking: python3 for the hook bridge the AI tools start. The audio tap records
# through GStreamer's sound server sources.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good")
# Folders as Debian's policy has them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# What lintian must not report of this package, each with its reason.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CPackLintianOverrides.cmake)
# Lintian's warnings left, each on purpose:
# - maintscript-calls-ldconfig (postinst, postrm): CPack adds the call for any shared object under
#   /usr/lib, the modules in /usr/lib/brimlark among them. It does no harm: that folder is not on
#   the loader's path, the modules are opened by their full path.
include(CPack)
