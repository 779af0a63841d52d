# The web page: the portable model compiled to WebAssembly by Debian's
# emscripten, and a static site in build/web/site: index.html, its scripts and style,
# the worker that runs the module (corvalinth.js and corvalinth.wasm), the sample
# desktop, the app's manifest and icons, and the service worker that keeps it all offline.
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
set(CORVALINTH_PAGE_FILES index_web.html:index.html style_web.css:style.css page_web.js:page.js
    choices_web.js:choices.js keep_web.js:keep.js awake_web.js:awake.js worker_web.js:worker.js
    manifest_web.webmanifest:manifest.webmanifest)
# Each file made here into the site is named in this list, for the service worker to keep.
set(CORVALINTH_MADE_FILES)
foreach(pair ${CORVALINTH_PAGE_FILES})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT ${CORVALINTH_SITE}/${to}
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/src/web/${from} ${CORVALINTH_SITE}/${to}
                     DEPENDS ${CMAKE_SOURCE_DIR}/src/web/${from})
  list(APPEND CORVALINTH_MADE_FILES ${to})
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
list(APPEND CORVALINTH_MADE_FILES sample-desktop.png)

# The installed app's icons, from the program's own icon (its largest picture), kept sharp.
foreach(size 192 512)
  add_custom_command(OUTPUT ${CORVALINTH_SITE}/icon-${size}.png
                     COMMAND ${CORVALINTH_CONVERT} "${CMAKE_SOURCE_DIR}/src/resources/corvalinth.ico[0]"
                             -filter point -resize ${size}x${size}! -strip ${CORVALINTH_SITE}/icon-${size}.png
                     DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/corvalinth.ico)
  list(APPEND CORVALINTH_MADE_FILES icon-${size}.png)
endforeach()

# The service worker, with the site's version (a digest of every file it keeps) written in:
# the module's two files and all the others, so it is made last.
set(CORVALINTH_MADE_PATHS ${CORVALINTH_MADE_FILES})
list(TRANSFORM CORVALINTH_MADE_PATHS PREPEND ${CORVALINTH_SITE}/)
string(REPLACE ";" "|" CORVALINTH_OFFLINE_LIST "corvalinth.js;corvalinth.wasm;${CORVALINTH_MADE_FILES}")
add_custom_command(OUTPUT ${CORVALINTH_SITE}/sw.js
                   COMMAND ${CMAKE_COMMAND} -DSITE=${CORVALINTH_SITE} "-DFILES=${CORVALINTH_OFFLINE_LIST}"
                           -DTEMPLATE=${CMAKE_SOURCE_DIR}/src/web/sw_web.js -P ${CMAKE_SOURCE_DIR}/cmake/WebOffline.cmake
                   DEPENDS ${CORVALINTH_MADE_PATHS} corvalinth_web
                           ${CMAKE_SOURCE_DIR}/src/web/sw_web.js ${CMAKE_SOURCE_DIR}/cmake/WebOffline.cmake
                   VERBATIM)
add_custom_target(web_site ALL DEPENDS ${CORVALINTH_SITE}/sw.js)

if(CORVALINTH_TESTS)
  # The same model: the reference run's checksum in this build, under node.
  add_executable(model_checksum tests/web/model_checksum.cpp)
  target_include_directories(model_checksum PRIVATE tests/unit)
  target_link_libraries(model_checksum PRIVATE corvalinth_page)
  target_link_options(model_checksum PRIVATE -sSINGLE_FILE=1 -sENVIRONMENT=node)
  corvalinth_warnings(model_checksum)
  corvalinth_test_program(model_checksum)
  add_test(NAME web.ModelChecksum COMMAND ${CORVALINTH_NODE} $<TARGET_FILE:model_checksum>)

  # The browser driver of the page's tests (scripts/web/package.json), from npm; never a browser download.
  find_program(CORVALINTH_NPM npm REQUIRED)
  set(CORVALINTH_RIG ${CMAKE_SOURCE_DIR}/scripts/web)
  add_custom_command(OUTPUT ${CORVALINTH_RIG}/node_modules/.package-lock.json
                     COMMAND ${CMAKE_COMMAND} -E env PUPPETEER_SKIP_DOWNLOAD=1
                             ${CORVALINTH_NPM} ci --no-audit --no-fund --ignore-scripts --loglevel=error
                     DEPENDS ${CORVALINTH_RIG}/package.json ${CORVALINTH_RIG}/package-lock.json
                     WORKING_DIRECTORY ${CORVALINTH_RIG})
  add_custom_target(web_driver ALL DEPENDS ${CORVALINTH_RIG}/node_modules/.package-lock.json)

  # The page in each browser, one browser start per test (tests/web/page_test.js).
  foreach(browser chromium firefox)
    add_test(NAME web.Page.${browser}
             COMMAND ${CORVALINTH_NODE} ${CMAKE_SOURCE_DIR}/tests/web/page_test.js ${CORVALINTH_SITE} ${browser})
    set_tests_properties(web.Page.${browser} PROPERTIES LABELS web TIMEOUT 300)
  endforeach()
  set_tests_properties(web.ModelChecksum PROPERTIES LABELS web TIMEOUT 300)
endif()
