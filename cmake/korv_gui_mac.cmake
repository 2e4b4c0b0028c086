# korv_add_gui_mac(TARGET target CLASS_NAME name BUNDLE_ID id [STATIC]): the editor on the Mac windowing
# services built into one plug-in, as an object library (linked into the plug-in's modules) or a static
# library. Its Cocoa classes are named <class>_v<name>_au, as the window system keeps one class per name
# for a whole process, and MakeGraphics gives its editors the bundle identifier id, where they find the
# plug-in's pictures. The sources come from KORV_GUI_MAC_SOURCE_DIR (the framework's gui/mac).
set(KORV_GUI_MAC_CLASS_SOURCES igraphics_cocoa.cpp igraphics_cocoa_menus.cpp igraphics_menu.cpp igraphics_mac.cpp
    igraphics_mac_screen.cpp)

function(korv_add_gui_mac)
  cmake_parse_arguments(ARG "STATIC" "TARGET;CLASS_NAME;BUNDLE_ID" "" ${ARGN})
  if(NOT ARG_CLASS_NAME MATCHES "^[A-Za-z0-9_]+$")
    message(FATAL_ERROR "korv_add_gui_mac: the class name '${ARG_CLASS_NAME}' must be letters, digits and _")
  endif()
  if(NOT ARG_BUNDLE_ID MATCHES "^[A-Za-z0-9.-]+$")
    message(FATAL_ERROR "korv_add_gui_mac: the bundle identifier '${ARG_BUNDLE_ID}' must be letters, digits, . and -")
  endif()
  list(TRANSFORM KORV_GUI_MAC_CLASS_SOURCES PREPEND ${KORV_GUI_MAC_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  if(ARG_STATIC)
    add_library(${ARG_TARGET} STATIC ${sources})
  else()
    add_library(${ARG_TARGET} OBJECT ${sources})
  endif()
  set_target_properties(${ARG_TARGET} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_definitions(${ARG_TARGET} PRIVATE KORV_PLUGIN_CLASS_NAME=${ARG_CLASS_NAME}
                             KORV_EDITOR_BUNDLE_ID="${ARG_BUNDLE_ID}")
  target_link_libraries(${ARG_TARGET} PUBLIC Korval::gui_mac_common)
endfunction()
