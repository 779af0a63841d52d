# The Linux program: the portable model under an Xlib host, for the xscreensaver
# daemon or a window of its own; its end-to-end tests start their own Xvfb.
find_package(X11 REQUIRED)
if(NOT TARGET X11::Xext)
  message(FATAL_ERROR "libxext-dev is needed (scripts/install-deps.sh)")
endif()
if(CORVALINTH_TESTS AND NOT TARGET X11::Xtst)
  message(FATAL_ERROR "the tests need libxtst-dev (scripts/install-deps.sh), or configure with -DCORVALINTH_TESTS=OFF")
endif()

file(GLOB_RECURSE CORVALINTH_X11_SOURCES CONFIGURE_DEPENDS src/*_x11.cpp)
list(FILTER CORVALINTH_X11_SOURCES EXCLUDE REGEX "/src/main_x11\\.cpp$")
corvalinth_host_library(corvalinth_linux ${CORVALINTH_LINUX_SOURCES})
add_library(corvalinth_x11 STATIC ${CORVALINTH_X11_SOURCES})
target_link_libraries(corvalinth_x11 PUBLIC corvalinth_linux X11::X11 X11::Xext)
corvalinth_warnings(corvalinth_x11)

add_executable(corvalinth src/main_x11.cpp)
set_target_properties(corvalinth PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_libraries(corvalinth PRIVATE corvalinth_x11)
target_include_directories(corvalinth PRIVATE ${CMAKE_BINARY_DIR}/generated)
# The hardening Debian builds its programs with (lintian checks the packaged one).
foreach(target corvalinth corvalinth_x11 corvalinth_linux corvalinth_portable)
  target_compile_options(${target} PRIVATE -fstack-protector-strong -D_FORTIFY_SOURCE=2)
endforeach()
target_link_options(corvalinth PRIVATE -Wl,-z,relro,-z,now)
corvalinth_warnings(corvalinth)

# The end-to-end tests run a copy built whole (model included) with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set(CORVALINTH_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_executable(corvalinth_checked src/main_x11.cpp ${CORVALINTH_X11_SOURCES} ${CORVALINTH_LINUX_SOURCES}
                                  ${CORVALINTH_PORTABLE_SOURCES})
target_include_directories(corvalinth_checked PRIVATE src ${CMAKE_BINARY_DIR}/generated)
target_compile_options(corvalinth_checked PRIVATE ${CORVALINTH_SANITIZERS})
target_link_options(corvalinth_checked PRIVATE ${CORVALINTH_SANITIZERS})
target_link_libraries(corvalinth_checked PRIVATE X11::X11 X11::Xext)
set_target_properties(corvalinth_checked PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
corvalinth_warnings(corvalinth_checked)
corvalinth_test_program(corvalinth_checked)

include(cmake/DebianPackage.cmake)

# End to end on Xvfb: each test starts its own server (and the daemon), so they
# may run side by side.
if(CORVALINTH_TESTS)
  file(GLOB CORVALINTH_X11_TESTS CONFIGURE_DEPENDS tests/x11/*.cpp)
endif()
if(CORVALINTH_X11_TESTS)
add_executable(x11_tests ${CORVALINTH_X11_TESTS})
target_include_directories(x11_tests PRIVATE tests/x11)
# The presents are also compared in process, through the program's own library.
target_link_libraries(x11_tests PRIVATE corvalinth_x11 X11::X11 X11::Xtst GTest::gtest_main)
target_compile_definitions(x11_tests PRIVATE CORVALINTH_PROGRAM="$<TARGET_FILE:corvalinth_checked>")
target_include_directories(x11_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)
add_dependencies(x11_tests corvalinth corvalinth_checked)
corvalinth_warnings(x11_tests)
corvalinth_test_program(x11_tests)
gtest_discover_tests(x11_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS x11 TIMEOUT 180)
endif()
