# Read by CPack once per generator: the installer's name tells it from the zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()

# With a certificate in the environment (scripts/sign.sh), the staged program is
# signed before either package takes it, and makensis signs the uninstaller before
# it packs it and the installer once written; a failed signing fails the package.
if(NOT "$ENV{CORVALINTH_SIGN_PKCS12}$ENV{CORVALINTH_SIGN_CERT}" STREQUAL "")
  set(CPACK_PRE_BUILD_SCRIPTS "${CPACK_CORVALINTH_SIGN_STAGED}")
  set(CPACK_CORVALINTH_SIGNING "!uninstfinalize '\"${CPACK_CORVALINTH_SIGN}\" \"%1\"' = 0
!finalize '\"${CPACK_CORVALINTH_SIGN}\" \"%1\"' = 0")
else()
  set(CPACK_CORVALINTH_SIGNING "; Unsigned: no certificate was given.")
endif()
