# Run by CPack once the package's tree is staged (CPACK_PRE_BUILD_SCRIPTS): adds the lintian
# overrides, which belong to the Debian package only and not to `make install`'s tree. Modes are
# set here as policy has them, whatever the umask.
set(folder "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/lintian/overrides")
file(MAKE_DIRECTORY "${folder}")
file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/brimlark.lintian-overrides" "${folder}/brimlark")
file(CHMOD "${folder}/brimlark" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD "${folder}" "${folder}/.." DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
