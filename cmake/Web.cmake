# The web page: the portable model compiled to WebAssembly by Debian's
# emscripten, and a static site in build/web/site: index.html, its script, the
# worker that runs the module (corvalinth.js and corvalinth.wasm), the sample desktop.
set(CORVALINTH_SITE ${CMAKE_BINARY_DIR}/site)
find_program(CORVALINTH_NODE node REQUIRED)
find_program(CORVALINTH_CONVERT convert REQUIRED)

file(GLOB CORVALINTH_WEB_SOURCES CONFIGURE_DEPENDS src/web/*_web.cpp)
corvalinth_host_library(corvalinth_page ${CORVALINTH_PAGE_SOURCES})
add_executable(corvalinth_web ${CORVALINTH_WEB_SOURCES})
target_link_libraries(corvalinth_web PRIVATE corvalinth_page)
corvalinth_warnings(corvalinth_web)
set_target_properties(corvalinth_web PROPERTIES OUTPUT_NAME corvalinth SUFFIX .js
                      RUNTIME_OUTPUT_DIRECTORY ${CORVALINTH_SITE})
target_link_options(corvalinth_web PRIVATE -sMODULARIZE=1 -sEXPORT_NAME=CorvalinthModule -sENVIRONMENT=web,worker
                    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sFILESYSTEM=0)

# The page's own files, copied as they are.
set(CORVALINTH_PAGE_FILES index_web.html:index.html page_web.js:page.js worker_web.js:worker.js)
set(CORVALINTH_PAGE_OUTPUTS)
foreach(pair ${CORVALINTH_PAGE_FILES})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT ${CORVALINTH_SITE}/${to}
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/src/web/${from} ${CORVALINTH_SITE}/${to}
                     DEPENDS ${CMAKE_SOURCE_DIR}/src/web/${from})
  list(APPEND CORVALINTH_PAGE_OUTPUTS ${CORVALINTH_SITE}/${to})
endforeach()

# The sample desktop, made by the tool that makes the program's pictures.
add_executable(make_pictures tools/make_pictures.cpp)
target_link_libraries(make_pictures PRIVATE corvalinth_portable)
target_link_options(make_pictures PRIVATE -sSINGLE_FILE=1 -sNODERAWFS=1 -sENVIRONMENT=node)
corvalinth_warnings(make_pictures)
add_custom_command(OUTPUT ${CORVALINTH_SITE}/sample-desktop.png
                   COMMAND ${CORVALINTH_NODE} $<TARGET_FILE:make_pictures> .
                   COMMAND ${CORVALINTH_CONVERT} sample-desktop.bmp -strip ${CORVALINTH_SITE}/sample-desktop.png
                   DEPENDS make_pictures WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
add_custom_target(web_site ALL DEPENDS ${CORVALINTH_PAGE_OUTPUTS} ${CORVALINTH_SITE}/sample-desktop.png corvalinth_web)

if(CORVALINTH_TESTS)
  # The same model: the reference run's checksum in this build, under node.
  add_executable(model_checksum tests/web/model_checksum.cpp)
  target_include_directories(model_checksum PRIVATE tests/unit)
  target_link_libraries(model_checksum PRIVATE corvalinth_page)
  target_link_options(model_checksum PRIVATE -sSINGLE_FILE=1 -sENVIRONMENT=node)
  corvalinth_warnings(model_checksum)
  corvalinth_test_program(model_checksum)
  add_test(NAME web.ModelChecksum COMMAND ${CORVALINTH_NODE} $<TARGET_FILE:model_checksum>)

  # The page in headless Chromium, one group of checks per test (tests/web/page_test.js).
  foreach(group Runs Dots Transition Panel)
    add_test(NAME web.Page.${group}
             COMMAND ${CORVALINTH_NODE} ${CMAKE_SOURCE_DIR}/tests/web/page_test.js ${CORVALINTH_SITE} ${group})
    set_tests_properties(web.Page.${group} PROPERTIES LABELS web TIMEOUT 120)
  endforeach()
  set_tests_properties(web.ModelChecksum PROPERTIES LABELS web TIMEOUT 300)
endif()
