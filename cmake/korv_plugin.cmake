# korv_add_plugin(NAME name DISPLAY_NAME text MAKER text BUNDLE_ID id SUBTYPE code MANUFACTURER code
#                 [TYPE code] [VERSION number] [VERSION_TEXT text] [LV2_URI uri]
#                 SOURCES files... [LIBS libraries...] [AU_SOURCES files...] [LV2_SOURCES files...]
#                 [PICTURE_ROOT root PICTURES files... PICTURE_TARGET target]
#                 [OUTPUT_DIRECTORY dir])
# One plug-in from its effect sources on every binding:
#  - the Audio Unit component bundle dir/NAME.component (target NAME): Info.plist from the framework's
#    template with the identity filled in, the bundle entries NAME_Entry and NAME_ViewEntry (the Cocoa
#    view factory class NAME_View) written from a template, and only those two exported;
#  - the editor's Cocoa classes named <class>_vNAME_au (gui/mac compiled for this plug-in), in both
#    the component and the LV2 editor, so two plug-ins in one process never share a class;
#  - the LV2 bundle dir/lv2/NAME.lv2 (targets NAME_lv2 and NAME_lv2_ui) with its Turtle written at
#    build time from the plug-in's own parameters and an X11 editor, and its install rule;
#    LV2_SOURCES define the effect's kLV2PluginInfo.
# The effect's sources see the generated header "korv_plugin_identity.h" (KORV_PLUGIN_BUNDLE_ID,
# KORV_PLUGIN_SUBTYPE, KORV_PLUGIN_VIEW_CLASS, ...). PICTURES are the editor's pictures below
# PICTURE_ROOT, made by PICTURE_TARGET. TYPE defaults to aufx, VERSION to 65536 (1.0.0), dir to the
# build's bundles folder. Sets NAME_BUNDLE_DIR and NAME_LV2_BUNDLE_DIR in the caller's scope.
set(KORV_PLUGIN_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/plugin)

function(korv_add_plugin)
  cmake_parse_arguments(ARG ""
    "NAME;DISPLAY_NAME;MAKER;BUNDLE_ID;SUBTYPE;MANUFACTURER;TYPE;VERSION;VERSION_TEXT;LV2_URI;PICTURE_ROOT;PICTURE_TARGET;OUTPUT_DIRECTORY"
    "SOURCES;LIBS;AU_SOURCES;LV2_SOURCES;PICTURES" ${ARGN})
  foreach(required NAME DISPLAY_NAME MAKER BUNDLE_ID SUBTYPE MANUFACTURER SOURCES)
    if(NOT ARG_${required})
      message(FATAL_ERROR "korv_add_plugin needs ${required}")
    endif()
  endforeach()
  foreach(code TYPE SUBTYPE MANUFACTURER)
    if(DEFINED ARG_${code} AND NOT ARG_${code} MATCHES "^[ -~][ -~][ -~][ -~]$")
      message(FATAL_ERROR "korv_add_plugin: ${code} must be four printable characters, not '${ARG_${code}}'")
    endif()
  endforeach()
  if(NOT ARG_TYPE)
    set(ARG_TYPE aufx)
  endif()
  if(NOT ARG_VERSION)
    set(ARG_VERSION 65536)
  endif()
  if(NOT ARG_VERSION_TEXT)
    set(ARG_VERSION_TEXT 1.0.0)
  endif()
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bundles)
  endif()
  if(ARG_LV2_SOURCES AND NOT ARG_LV2_URI)
    message(FATAL_ERROR "korv_add_plugin: an LV2 bundle needs LV2_URI")
  endif()

  # The templates' variables.
  foreach(field NAME DISPLAY_NAME MAKER BUNDLE_ID SUBTYPE MANUFACTURER TYPE VERSION VERSION_TEXT LV2_URI)
    set(KORV_PLUGIN_${field} "${ARG_${field}}")
  endforeach()
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_plugin)
  configure_file(${KORV_PLUGIN_TEMPLATES}/plugin_identity.h.in ${generated}/korv_plugin_identity.h @ONLY)
  set(base_libs korv_dsp korv_framework korv_gui ${ARG_LIBS})
  # The editor's Cocoa classes named after this plug-in, for the modules that show an editor.
  if(TARGET korv_gui_mac AND (TARGET korv_au OR (TARGET korv_lv2_ui AND ARG_LV2_SOURCES)))
    korv_add_gui_mac(TARGET ${ARG_NAME}_gui_mac CLASS_NAME ${ARG_NAME})
  endif()

  if(TARGET korv_au)
    configure_file(${KORV_PLUGIN_TEMPLATES}/au_entry.cpp.in ${generated}/au_entry.cpp @ONLY)
    configure_file(${KORV_PLUGIN_TEMPLATES}/exports.map.in ${generated}/exports.map @ONLY)
    add_library(${ARG_NAME} MODULE ${ARG_SOURCES} ${ARG_AU_SOURCES} ${generated}/au_entry.cpp)
    target_compile_definitions(${ARG_NAME} PRIVATE KORV_BINDING_AU)
    target_include_directories(${ARG_NAME} PRIVATE ${generated})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_NAME}_gui_mac korv_au ${base_libs})
    target_link_options(${ARG_NAME} PRIVATE -Wl,--version-script=${generated}/exports.map)
    # Under the fuzzer the sanitizer runtime lives in the program that loads the bundle.
    if(NOT KORV_FUZZ)
      target_link_options(${ARG_NAME} PRIVATE -Wl,--no-undefined)
    endif()
    set_target_properties(${ARG_NAME} PROPERTIES LINK_DEPENDS ${generated}/exports.map)
    korv_add_component_bundle(NAME ${ARG_NAME} TARGET ${ARG_NAME} INFO_PLIST ${KORV_PLUGIN_TEMPLATES}/Info.plist.in
                              RESOURCES ${ARG_PICTURES} OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
    if(ARG_PICTURES AND ARG_PICTURE_TARGET)
      add_dependencies(${ARG_NAME}_bundle_resources ${ARG_PICTURE_TARGET})
    endif()
    set(${ARG_NAME}_BUNDLE_DIR ${${ARG_NAME}_BUNDLE_DIR} PARENT_SCOPE)
  endif()

  # The LV2 bundle has a folder of its own, so LV2_PATH can point there without scanning the others.
  if(TARGET korv_lv2 AND ARG_LV2_SOURCES)
    set(effect ${ARG_NAME}_lv2_effect)
    add_library(${effect} OBJECT ${ARG_SOURCES} ${ARG_LV2_SOURCES})
    target_compile_definitions(${effect} PUBLIC KORV_BINDING_LV2)
    target_include_directories(${effect} PRIVATE ${generated})
    target_link_libraries(${effect} PUBLIC korv_lv2 ${base_libs})
    add_executable(${ARG_NAME}_lv2_turtle ${KORV_PLUGIN_TEMPLATES}/lv2_ttl_main.cpp)
    target_link_libraries(${ARG_NAME}_lv2_turtle PRIVATE ${effect} korv_lv2_ttl)
    add_library(${ARG_NAME}_lv2 MODULE ${KORV_PLUGIN_TEMPLATES}/lv2_entry.cpp)
    target_link_libraries(${ARG_NAME}_lv2 PRIVATE ${effect})
    # The editor keeps a plug-in object of its own as its parameter model, and carries its own copy of
    # the platform stand-in: LV2 hosts have none.
    add_library(${ARG_NAME}_lv2_ui MODULE ${KORV_PLUGIN_TEMPLATES}/lv2_ui_entry.cpp)
    target_link_libraries(${ARG_NAME}_lv2_ui PRIVATE korv_platform_objects korv_appkit_objects ${ARG_NAME}_gui_mac ${effect}
                          korv_lv2_ui)
    korv_add_lv2_bundle(NAME ${ARG_NAME} TARGET ${ARG_NAME}_lv2 UI_TARGET ${ARG_NAME}_lv2_ui
                        TTL_GENERATOR ${ARG_NAME}_lv2_turtle OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}/lv2
                        PICTURE_ROOT ${ARG_PICTURE_ROOT} PICTURES ${ARG_PICTURES})
    if(ARG_PICTURES AND ARG_PICTURE_TARGET)
      add_dependencies(${ARG_NAME}_lv2_files ${ARG_PICTURE_TARGET})
    endif()
    set(${ARG_NAME}_LV2_BUNDLE_DIR ${${ARG_NAME}_LV2_BUNDLE_DIR} PARENT_SCOPE)
  endif()
endfunction()
