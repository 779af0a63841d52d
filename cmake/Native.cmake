# Native Linux build: the portable code under AddressSanitizer and UBSan, its unit
# tests and the fuzz targets.
set(CORVALINTH_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(corvalinth_portable PRIVATE ${CORVALINTH_SANITIZERS})
target_link_options(corvalinth_portable PUBLIC ${CORVALINTH_SANITIZERS})
corvalinth_host_library(corvalinth_linux ${CORVALINTH_LINUX_SOURCES})
corvalinth_host_library(corvalinth_page ${CORVALINTH_PAGE_SOURCES})
foreach(library corvalinth_linux corvalinth_page)
  target_compile_options(${library} PRIVATE ${CORVALINTH_SANITIZERS})
endforeach()
if(CORVALINTH_TESTS)
  foreach(library gtest gtest_main gmock)
    target_compile_options(${library} PRIVATE ${CORVALINTH_SANITIZERS})
  endforeach()
  file(GLOB_RECURSE CORVALINTH_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
endif()
if(CORVALINTH_UNIT_TESTS)
add_executable(unit_tests ${CORVALINTH_UNIT_TESTS})
target_compile_options(unit_tests PRIVATE ${CORVALINTH_SANITIZERS})
target_include_directories(unit_tests PRIVATE tests/unit)
target_link_libraries(unit_tests PRIVATE corvalinth_linux corvalinth_page GTest::gmock GTest::gtest_main)
corvalinth_warnings(unit_tests)
target_compile_definitions(unit_tests PRIVATE CORVALINTH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
endif()

# libFuzzer targets need clang; each also gets a short bounded run as a test.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  file(GLOB CORVALINTH_FUZZERS CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
  foreach(source ${CORVALINTH_FUZZERS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${CORVALINTH_SANITIZERS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE corvalinth_linux)
    add_test(NAME fuzz.${name} COMMAND ${name} -runs=20000 -max_len=4096 -seed=1)
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 300)
  endforeach()
endif()

# Tools that make the files the program carries (run by hand; a test checks that
# the committed files are what the tools make).
file(GLOB CORVALINTH_TOOLS CONFIGURE_DEPENDS tools/*.cpp)
foreach(source ${CORVALINTH_TOOLS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE corvalinth_portable)
  corvalinth_warnings(${name})
endforeach()

# A preview picture left stale after a change to the model or the sample desktop.
add_test(NAME resources.PreviewPictureIsCurrent
         COMMAND sh -c "dir=$(mktemp -d) && $<TARGET_FILE:make_pictures> \"$dir\" >/dev/null && cmp \"$dir/preview.bmp\" ${CMAKE_SOURCE_DIR}/src/resources/preview.bmp; rc=$?; rm -rf \"$dir\"; exit $rc")
set_tests_properties(resources.PreviewPictureIsCurrent PROPERTIES LABELS unit)

# The source folders are floors: every include goes down (scripts/check-floors.sh).
add_test(NAME floors COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-floors.sh)
set_tests_properties(floors PROPERTIES LABELS unit)
