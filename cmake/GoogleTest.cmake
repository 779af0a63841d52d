# GoogleTest from Debian's sources: built here for whichever target this tree builds.
set(CORVALINTH_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${CORVALINTH_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are not in ${CORVALINTH_GTEST_SOURCE}: install Debian's googletest "
                      "(scripts/install-deps.sh), or build the programs alone with -DCORVALINTH_TESTS=OFF")
endif()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${CORVALINTH_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
