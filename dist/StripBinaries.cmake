# Strips the programs in the package as Debian's dh_strip does: the symbols and
# the sections that only the build needs.
file(GLOB binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(binary ${binaries})
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note --strip-unneeded "${binary}"
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
