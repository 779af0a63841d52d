# The Debian package: `cmake --build --preset linux --target package` makes
# corvalinth_<version>_amd64.deb. It installs under /usr, where the daemon finds
# the program and xscreensaver-settings the XML (it reads no other prefix).
set(generated ${CMAKE_BINARY_DIR}/generated)
configure_file(packaging/changelog.in ${generated}/changelog @ONLY)
# Compressed without a name or a time stamp, so every build gives the same bytes.
foreach(source packaging/corvalinth.6 ${generated}/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${generated}/${name}.gz
                     COMMAND gzip -9nc ${source} > ${generated}/${name}.gz
                     DEPENDS ${source} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} VERBATIM)
  list(APPEND compressed ${generated}/${name}.gz)
endforeach()
add_custom_target(corvalinth_documents ALL DEPENDS ${compressed})

install(TARGETS corvalinth RUNTIME DESTINATION libexec/xscreensaver)
install(FILES src/x11/corvalinth.xml DESTINATION share/xscreensaver/config)
install(FILES ${generated}/corvalinth.6.gz DESTINATION share/man/man6)
install(FILES packaging/copyright ${generated}/changelog.gz DESTINATION share/doc/corvalinth)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvalinth)
set(CPACK_PACKAGE_VENDOR "Corvalinth developers")
set(CPACK_PACKAGE_CONTACT "Corvalinth developers <maintainers@corvalinth.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver of coloured dots crawling over the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Up to a thousand coloured dots crawl over a picture of the desktop, each\n"
    "leaving a trail. Now and then the screen cracks down the middle and the two\n"
    "halves slide apart to uncover the clean desktop again. This is the program\n"
    "for the xscreensaver daemon, with its entry for xscreensaver-settings, and\n"
    "for the idle daemons of Wayland desktops, covering every output.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://corvalinth.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(CORVALINTH_TESTS)
  # The test makes the package, once, and checks what it holds.
  add_test(NAME package.DebianPackage
           COMMAND ${CMAKE_SOURCE_DIR}/tests/package/debian_package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(package.DebianPackage PROPERTIES LABELS package TIMEOUT 300)
  add_test(NAME manual.OptionsAgreeWithHelpAndSettings
           COMMAND ${CMAKE_SOURCE_DIR}/tests/package/options_agree.sh $<TARGET_FILE:corvalinth>
                   ${CMAKE_SOURCE_DIR}/packaging/corvalinth.6 ${CMAKE_SOURCE_DIR}/src/x11/corvalinth.xml)
  set_tests_properties(manual.OptionsAgreeWithHelpAndSettings PROPERTIES LABELS package)
endif()
