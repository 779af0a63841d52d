# The Linux program's Wayland half: libwayland-client and xkbcommon, with the
# protocol code generated from XML at build time (xdg-shell from the system's
# wayland-protocols, the wlr protocols from copies kept in protocols/).
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client xkbcommon)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
if(NOT WAYLAND_PROTOCOLS_DIR)
  message(FATAL_ERROR "wayland-protocols is needed (scripts/install-deps.sh)")
endif()

set(wayland_generated ${CMAKE_BINARY_DIR}/generated/wayland)
file(MAKE_DIRECTORY ${wayland_generated})
# Makes NAME-client-protocol.h and NAME-protocol.c from XML. The layer-shell
# header names a parameter `namespace`, which C++ rejects: the header is
# rewritten; the C code keeps it.
function(corvalinth_wayland_protocol name xml)
  set(header ${wayland_generated}/${name}-client-protocol.h)
  set(code ${wayland_generated}/${name}-protocol.c)
  add_custom_command(OUTPUT ${header} ${code}
                     COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
                     COMMAND sed -i -E "s/\\bnamespace\\b/name_space/g" ${header}
                     COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
                     DEPENDS ${xml} VERBATIM)
  set_property(GLOBAL APPEND PROPERTY CORVALINTH_WAYLAND_PROTOCOL_CODE ${code} ${header})
endfunction()
corvalinth_wayland_protocol(xdg-shell ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml)
corvalinth_wayland_protocol(wlr-layer-shell ${CMAKE_SOURCE_DIR}/protocols/wlr-layer-shell-unstable-v1.xml)
corvalinth_wayland_protocol(wlr-screencopy ${CMAKE_SOURCE_DIR}/protocols/wlr-screencopy-unstable-v1.xml)
corvalinth_wayland_protocol(wlr-virtual-pointer ${CMAKE_SOURCE_DIR}/protocols/wlr-virtual-pointer-unstable-v1.xml)
get_property(wayland_protocol_code GLOBAL PROPERTY CORVALINTH_WAYLAND_PROTOCOL_CODE)

add_library(corvalinth_wayland_protocols STATIC ${wayland_protocol_code})
target_include_directories(corvalinth_wayland_protocols PUBLIC ${wayland_generated})
target_link_libraries(corvalinth_wayland_protocols PUBLIC PkgConfig::WAYLAND)

file(GLOB CORVALINTH_WAYLAND_SOURCES CONFIGURE_DEPENDS src/wayland/*_wayland.cpp)
