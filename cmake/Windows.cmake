# The Windows program, its in-process window tests and the end-to-end harness.
# Test programs run under Wine through the rig, which keeps a private Xvfb display
# and Wine prefix in the build tree.
enable_language(RC)

set(CORVALINTH_RIG_DIR ${CMAKE_BINARY_DIR}/rig)
set(CORVALINTH_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/rig/wine-run.sh ${CORVALINTH_RIG_DIR})
set(CORVALINTH_WIN_LIBS user32 gdi32 kernel32 shell32 msimg32 ole32 oleaut32 oleacc uuid comctl32 imm32 advapi32 dwmapi winmm)

# One self-contained executable: static C++ runtime, libgcc and winpthread.
add_link_options(-static -static-libgcc -static-libstdc++)
target_compile_definitions(corvalinth_portable PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

file(GLOB_RECURSE CORVALINTH_WIN_SOURCES CONFIGURE_DEPENDS src/*_win.cpp)
list(FILTER CORVALINTH_WIN_SOURCES EXCLUDE REGEX "/src/main_win\\.cpp$")
add_library(corvalinth_win STATIC ${CORVALINTH_WIN_SOURCES})
target_link_libraries(corvalinth_win PUBLIC corvalinth_portable ${CORVALINTH_WIN_LIBS})
corvalinth_warnings(corvalinth_win)

# Resources (manifest, version, pictures) go into every executable that shows windows.
file(GLOB_RECURSE CORVALINTH_RESOURCE_INPUTS CONFIGURE_DEPENDS src/resources/*)
add_library(corvalinth_resources OBJECT src/resources/corvalinth.rc)
set_source_files_properties(src/resources/corvalinth.rc PROPERTIES OBJECT_DEPENDS "${CORVALINTH_RESOURCE_INPUTS}")
target_include_directories(corvalinth_resources PRIVATE src/resources src ${CMAKE_BINARY_DIR}/generated)

add_executable(Corvalinth WIN32 src/main_win.cpp $<TARGET_OBJECTS:corvalinth_resources>)
set_target_properties(Corvalinth PROPERTIES SUFFIX ".scr" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_options(Corvalinth PRIVATE -municode -mwindows)
target_link_libraries(Corvalinth PRIVATE corvalinth_win)
corvalinth_warnings(Corvalinth)

# The rig (private Xvfb, Wine prefix, wineserver) is started by the first Windows
# test program that runs and stays up for the next run; scripts/test.sh stops it.
# Every Windows test shares one display and one wineserver, and input goes to
# whatever is in front, so they run one at a time.
# Suites named DualMonitor* and Dpi144* need a rig of their own (two monitors, or
# a prefix at 144 DPI, see scripts/rig/rig.sh); the pairs after `timeout` name
# the rig folder's suffix and the suite prefix run there, all in one process.
# SaverPictures and DialogPicture (tools/pictures) write pictures for the docs,
# no tests (scripts/saver-pictures.sh, the README).
function(corvalinth_wine_tests target label timeout)
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${CORVALINTH_EMULATOR}")
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_FILTER "-DualMonitor*:Dpi144*:SaverPictures*:DialogPicture*"
    PROPERTIES LABELS ${label} RESOURCE_LOCK wine_desktop TIMEOUT ${timeout})
  set(variants ${ARGN})
  while(variants)
    list(POP_FRONT variants rig suite)
    add_test(NAME ${label}.${suite}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/rig/wine-run.sh ${CMAKE_BINARY_DIR}/rig-${rig}
                     $<TARGET_FILE:${target}> --gtest_filter=${suite}*)
    # A filter that matches nothing passes as far as the test program is concerned.
    set_tests_properties(${label}.${suite} PROPERTIES LABELS "${label};${rig}" RESOURCE_LOCK wine_${rig}
                         TIMEOUT ${timeout} FAIL_REGULAR_EXPRESSION "Running 0 tests")
  endwhile()
endfunction()

if(CORVALINTH_TESTS)
  file(GLOB_RECURSE CORVALINTH_WIN_TESTS CONFIGURE_DEPENDS tests/win/*.cpp)
  file(GLOB_RECURSE CORVALINTH_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.cpp tools/pictures/*_e2e.cpp)
endif()
if(CORVALINTH_WIN_TESTS)
add_executable(win_tests ${CORVALINTH_WIN_TESTS} $<TARGET_OBJECTS:corvalinth_resources>)
target_include_directories(win_tests PRIVATE tests/win)
target_link_libraries(win_tests PRIVATE corvalinth_win GTest::gmock GTest::gtest_main)
corvalinth_warnings(win_tests)
corvalinth_test_program(win_tests)
corvalinth_wine_tests(win_tests win 120 dpi144 Dpi144)
endif()

# The harness lives beside Corvalinth.scr and copies it into a fresh folder per test;
# it shares the window tests' input and screen helpers, which use the forms layer.
# tools/pictures/*_e2e.cpp write the docs' pictures through the same harness.
if(CORVALINTH_E2E_TESTS)
add_executable(e2e_tests ${CORVALINTH_E2E_TESTS})
set_target_properties(e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_include_directories(e2e_tests PRIVATE tests/e2e src)
target_link_libraries(e2e_tests PRIVATE corvalinth_win GTest::gmock GTest::gtest_main)
add_dependencies(e2e_tests Corvalinth)
corvalinth_warnings(e2e_tests)
corvalinth_test_program(e2e_tests)
corvalinth_wine_tests(e2e_tests e2e 180 dual DualMonitor)
endif()

# Every benchmark program is one *_bench_win.cpp with the other bench sources.
file(GLOB CORVALINTH_BENCHES CONFIGURE_DEPENDS bench/*_bench_win.cpp)
file(GLOB CORVALINTH_BENCH_PARTS CONFIGURE_DEPENDS bench/*.cpp)
list(REMOVE_ITEM CORVALINTH_BENCH_PARTS ${CORVALINTH_BENCHES})
foreach(source ${CORVALINTH_BENCHES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source} ${CORVALINTH_BENCH_PARTS} $<TARGET_OBJECTS:corvalinth_resources>)
  target_include_directories(${name} PRIVATE bench)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_link_libraries(${name} PRIVATE corvalinth_win)
  target_link_options(${name} PRIVATE -municode)
  corvalinth_test_program(${name})
endforeach()

# The release packages: `cmake --build --preset windows --target package` makes
# Corvalinth-<version>-win64.zip with the program and its install note, and
# Corvalinth-<version>-win64-setup.exe, which installs the program into System32
# (packaging/NSIS.template.in).
install(TARGETS Corvalinth RUNTIME DESTINATION .)
install(FILES packaging/Install.txt DESTINATION .)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_VENDOR "Corvalinth developers")
set(CPACK_PACKAGE_FILE_NAME "Corvalinth-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)  # the debugging information stays in the build tree
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/CPackOptions.cmake)
set(CPACK_CORVALINTH_ICON ${CMAKE_SOURCE_DIR}/src/resources/corvalinth.ico)
# Signs the packed program, the installer and its uninstaller when the environment
# gives a certificate (scripts/sign.sh, packaging/CPackOptions.cmake).
set(CPACK_CORVALINTH_SIGN ${CMAKE_SOURCE_DIR}/scripts/sign.sh)
set(CPACK_CORVALINTH_SIGN_STAGED ${CMAKE_SOURCE_DIR}/packaging/SignStaged.cmake)
include(CPack)
if(CORVALINTH_TESTS)
  # The packages are made once, by the first test; the installer's reads them.
  add_test(NAME package.ZipHoldsTheProgramAndItsNote
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DVERSION=${PROJECT_VERSION}
                   -P ${CMAKE_SOURCE_DIR}/cmake/CheckPackage.cmake)
  set_tests_properties(package.ZipHoldsTheProgramAndItsNote PROPERTIES LABELS package TIMEOUT 300
                       FIXTURES_SETUP windows_packages)
  # The same packages signed with a throwaway certificate; the installer's test
  # installs that one and checks the signatures of what it installed.
  set(signed ${CMAKE_BINARY_DIR}/signed)
  add_test(NAME package.SignedWithAThrowawayCertificate
           COMMAND ${CMAKE_SOURCE_DIR}/tests/package/signed_packages.sh ${CMAKE_BINARY_DIR} ${signed})
  set_tests_properties(package.SignedWithAThrowawayCertificate PROPERTIES LABELS package TIMEOUT 300
                       FIXTURES_REQUIRED windows_packages FIXTURES_SETUP signed_packages)
  add_test(NAME package.InstallerUnderWine
           COMMAND ${CMAKE_SOURCE_DIR}/tests/package/installer_wine.sh
                   ${signed}/Corvalinth-${PROJECT_VERSION}-win64-setup.exe ${CMAKE_BINARY_DIR}/rig-installer
                   ${signed}/throwaway-ca.pem)
  set_tests_properties(package.InstallerUnderWine PROPERTIES LABELS package TIMEOUT 300
                       FIXTURES_REQUIRED "windows_packages;signed_packages" RESOURCE_LOCK wine_installer)
endif()
