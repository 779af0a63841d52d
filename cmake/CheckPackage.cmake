cmake_minimum_required(VERSION 3.25)
# Makes the release zip and the installer, and checks what the zip holds: the
# program, carrying the project's version in its version resource, and the
# install note (tests/package/installer_wine.sh runs the installer).
#   cmake -DBUILD_DIR=... -DVERSION=x.y.z -P CheckPackage.cmake
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target package
                RESULT_VARIABLE built OUTPUT_QUIET)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the package target failed")
endif()
if(NOT EXISTS ${BUILD_DIR}/Corvalinth-${VERSION}-win64-setup.exe)
  message(FATAL_ERROR "the package target made no Corvalinth-${VERSION}-win64-setup.exe")
endif()
set(zip ${BUILD_DIR}/Corvalinth-${VERSION}-win64.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listed RESULT_VARIABLE read)
string(REPLACE "\n" ";" listed "${listed}")
list(REMOVE_ITEM listed "")
list(SORT listed)
if(NOT read EQUAL 0 OR NOT listed STREQUAL "Corvalinth.scr;Install.txt")
  message(FATAL_ERROR "${zip} holds [${listed}], not Corvalinth.scr and Install.txt")
endif()

# The version resource's text, UTF-16LE as resources store it.
set(unpacked ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${unpacked})
file(READ ${unpacked}/Corvalinth.scr program HEX)
string(HEX "${VERSION}.0" text)
string(REGEX REPLACE "(..)" "\\100" wide "${text}")
string(FIND "${program}" "${wide}" at)
file(REMOVE_RECURSE ${unpacked})
if(at EQUAL -1)
  message(FATAL_ERROR "Corvalinth.scr does not carry version ${VERSION}.0")
endif()
