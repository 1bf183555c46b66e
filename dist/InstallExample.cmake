# Installs the example settings with "Map Excel input" naming the installed
# example workbook's folder, so they work from any working directory. Runs at
# install time, where the prefix (cmake --install --prefix, CPack) is known.
file(READ "${KW_EXAMPLE_SOURCE}" ini)
set(folder "${CMAKE_INSTALL_PREFIX}/${KW_EXAMPLE_DESTINATION}")
if(NOT ini MATCHES "(^|\n)Map Excel input=")
    message(FATAL_ERROR "${KW_EXAMPLE_SOURCE} has no \"Map Excel input\" to point at ${folder}")
endif()
string(REGEX REPLACE "(^|\n)Map Excel input=[^\r\n]*" "\\1Map Excel input=${folder}" ini "${ini}")
file(WRITE "${KW_EXAMPLE_STAGING}/Kwintor2.ini" "${ini}")
file(INSTALL DESTINATION "${folder}" TYPE FILE FILES "${KW_EXAMPLE_STAGING}/Kwintor2.ini")
