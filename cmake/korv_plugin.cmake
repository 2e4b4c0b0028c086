# korv_add_plugin(NAME name DISPLAY_NAME text MAKER text BUNDLE_ID id SUBTYPE code MANUFACTURER code
#                 [KIND effect|instrument|midi-effect] [TYPE code] [VERSION number] [VERSION_TEXT text] [LV2_URI uri]
#                 SOURCES files... [LIBS libraries...] [AU_SOURCES files...] [LV2_SOURCES files...]
#                 [PICTURE_ROOT root PICTURES files... PICTURE_TARGET target]
#                 [OUTPUT_DIRECTORY dir] [NO_INSTALL])
# One plug-in from its effect sources on every binding. KIND says what hosts make of it: an effect
# (component type aufx), an instrument (aumu: it plays MIDI into its outputs) or an effect that also
# takes MIDI (aumf); without KIND it follows from TYPE, and TYPE from it.
#  - the Audio Unit component bundle dir/NAME.component (target NAME): Info.plist from the framework's
#    template with the identity filled in, the bundle entries NAME_Entry and NAME_ViewEntry (the Cocoa
#    view factory class NAME_View) written from a template, and only those two exported;
#  - the editor (NAME_gui_mac) with its Cocoa classes named <class>_vNAME_au and the plug-in's bundle
#    identifier, in both the component and the LV2 editor, so two plug-ins in one process never share a
#    class nor each other's pictures;
#  - the LV2 bundle dir/lv2/NAME.lv2 (targets NAME_lv2 and NAME_lv2_ui) with its Turtle and its factory
#    presets written at build time from the plug-in itself and an X11 editor; LV2_SOURCES define the
#    effect's kLV2PluginInfo;
#  - install rules (unless NO_INSTALL, e.g. for a test's plug-in): the component into
#    KORV_COMPONENT_INSTALL_DIR, the LV2 bundle into KORV_LV2_INSTALL_DIR.
# The effect's sources see the generated header "korv_plugin_identity.h" (KORV_PLUGIN_BUNDLE_ID,
# KORV_PLUGIN_SUBTYPE, KORV_PLUGIN_VIEW_CLASS, ...); the interface library NAME_identity carries it to
# other targets built from the same sources. Its KORV_PLUGIN_IS_INSTRUMENT and KORV_PLUGIN_DOES_MIDI are
# the is-instrument and does-MIDI flags for the plug-in's constructor; the LV2 Turtle generator refuses
# a plug-in whose flags differ from them. PICTURES are the editor's pictures below PICTURE_ROOT, made by
# PICTURE_TARGET. KIND defaults to effect, VERSION to 65536 (1.0.0), dir to the top build
# folder's bundles. Sets NAME_BUNDLE_DIR and NAME_LV2_BUNDLE_DIR in the caller's scope.
#
# The framework's libraries are reached by their package names (Korval::au, ...): imported from an
# installed SDK, or aliases of the libraries inside the framework's own tree.
set(KORV_PLUGIN_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/plugin)

function(korv_add_plugin)
  cmake_parse_arguments(ARG "NO_INSTALL"
    "NAME;DISPLAY_NAME;MAKER;BUNDLE_ID;SUBTYPE;MANUFACTURER;KIND;TYPE;VERSION;VERSION_TEXT;LV2_URI;PICTURE_ROOT;PICTURE_TARGET;OUTPUT_DIRECTORY"
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
  korv_plugin_kind("${ARG_KIND}" "${ARG_TYPE}" ARG_TYPE KORV_PLUGIN_IS_INSTRUMENT KORV_PLUGIN_DOES_MIDI)
  if(NOT ARG_VERSION)
    set(ARG_VERSION 65536)
  endif()
  if(NOT ARG_VERSION_TEXT)
    set(ARG_VERSION_TEXT 1.0.0)
  endif()
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bundles)
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
  add_library(${ARG_NAME}_identity INTERFACE)
  target_include_directories(${ARG_NAME}_identity INTERFACE ${generated})
  set(base_libs ${ARG_NAME}_identity Korval::dsp Korval::framework Korval::gui ${ARG_LIBS})
  # The editor built into this plug-in, for the modules that show an editor.
  if(TARGET Korval::gui_mac_common AND (TARGET Korval::au OR (TARGET Korval::lv2_ui AND ARG_LV2_SOURCES)))
    korv_add_gui_mac(TARGET ${ARG_NAME}_gui_mac CLASS_NAME ${ARG_NAME} BUNDLE_ID ${ARG_BUNDLE_ID})
  endif()

  if(TARGET Korval::au)
    configure_file(${KORV_PLUGIN_TEMPLATES}/au_entry.cpp.in ${generated}/au_entry.cpp @ONLY)
    configure_file(${KORV_PLUGIN_TEMPLATES}/exports.map.in ${generated}/exports.map @ONLY)
    add_library(${ARG_NAME} MODULE ${ARG_SOURCES} ${ARG_AU_SOURCES} ${generated}/au_entry.cpp)
    target_compile_definitions(${ARG_NAME} PRIVATE KORV_BINDING_AU)
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_NAME}_gui_mac Korval::au ${base_libs})
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
    if(NOT ARG_NO_INSTALL)
      korv_install_component_bundle(${ARG_NAME} ${${ARG_NAME}_BUNDLE_DIR} ${ARG_PICTURES})
    endif()
    set(${ARG_NAME}_BUNDLE_DIR ${${ARG_NAME}_BUNDLE_DIR} PARENT_SCOPE)
  endif()

  # The LV2 bundle has a folder of its own, so LV2_PATH can point there without scanning the others.
  if(TARGET Korval::lv2 AND ARG_LV2_SOURCES)
    set(effect ${ARG_NAME}_lv2_effect)
    add_library(${effect} OBJECT ${ARG_SOURCES} ${ARG_LV2_SOURCES})
    set_target_properties(${effect} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    target_compile_definitions(${effect} PUBLIC KORV_BINDING_LV2)
    target_link_libraries(${effect} PUBLIC Korval::lv2 ${base_libs})
    add_executable(${ARG_NAME}_lv2_turtle ${KORV_PLUGIN_TEMPLATES}/lv2_ttl_main.cpp)
    target_link_libraries(${ARG_NAME}_lv2_turtle PRIVATE ${effect} Korval::lv2_ttl)
    add_library(${ARG_NAME}_lv2 MODULE ${KORV_PLUGIN_TEMPLATES}/lv2_entry.cpp)
    target_link_libraries(${ARG_NAME}_lv2 PRIVATE ${effect})
    # The editor keeps a plug-in object of its own as its parameter model, and carries its own copy of
    # the platform stand-in: LV2 hosts have none. The static libraries the shared stand-ins carry too are
    # named last, which puts them before the shared ones on the link line: the module takes its own
    # copies and, linked --as-needed, needs no stand-in library.
    add_library(${ARG_NAME}_lv2_ui MODULE ${KORV_PLUGIN_TEMPLATES}/lv2_ui_entry.cpp)
    target_link_libraries(${ARG_NAME}_lv2_ui PRIVATE Korval::platform_objects Korval::appkit_objects
                          ${ARG_NAME}_gui_mac ${effect} Korval::lv2_ui Korval::lv2 Korval::framework Korval::base)
    set(no_install)
    if(ARG_NO_INSTALL)
      set(no_install NO_INSTALL)
    endif()
    korv_add_lv2_bundle(NAME ${ARG_NAME} TARGET ${ARG_NAME}_lv2 UI_TARGET ${ARG_NAME}_lv2_ui ${no_install}
                        TTL_GENERATOR ${ARG_NAME}_lv2_turtle OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}/lv2
                        PICTURE_ROOT ${ARG_PICTURE_ROOT} PICTURES ${ARG_PICTURES})
    if(ARG_PICTURES AND ARG_PICTURE_TARGET)
      add_dependencies(${ARG_NAME}_lv2_files ${ARG_PICTURE_TARGET})
    endif()
    set(${ARG_NAME}_LV2_BUNDLE_DIR ${${ARG_NAME}_LV2_BUNDLE_DIR} PARENT_SCOPE)
  endif()
endfunction()

# What a KIND and a TYPE make together: each follows from the other when only one is given (an effect
# may be of any other type, e.g. aumx), and the two must agree when both are. Sets the component type
# and the constructor's flags (true or false, as C++ reads them).
function(korv_plugin_kind kind type out_type out_instrument out_midi)
  if(NOT kind)
    set(kind effect)
    if(type STREQUAL "aumu")
      set(kind instrument)
    elseif(type STREQUAL "aumf")
      set(kind midi-effect)
    endif()
  endif()
  if(kind STREQUAL "instrument")
    set(kind_type aumu)
  elseif(kind STREQUAL "midi-effect")
    set(kind_type aumf)
  elseif(kind STREQUAL "effect")
    set(kind_type aufx)
  else()
    message(FATAL_ERROR "korv_add_plugin: KIND must be effect, instrument or midi-effect, not '${kind}'")
  endif()
  if(NOT type)
    set(type ${kind_type})
  elseif(NOT type STREQUAL kind_type AND (NOT kind STREQUAL "effect" OR type MATCHES "^(aumu|aumf)$"))
    message(FATAL_ERROR "korv_add_plugin: KIND ${kind} and TYPE ${type} disagree (KIND ${kind} makes type ${kind_type})")
  endif()
  set(instrument false)
  set(midi false)
  if(kind STREQUAL "instrument")
    set(instrument true)
  endif()
  if(NOT kind STREQUAL "effect")
    set(midi true)
  endif()
  set(${out_type} ${type} PARENT_SCOPE)
  set(${out_instrument} ${instrument} PARENT_SCOPE)
  set(${out_midi} ${midi} PARENT_SCOPE)
endfunction()

# The component bundle as the build lays it out, into KORV_COMPONENT_INSTALL_DIR. The module goes
# through install(TARGETS), which drops the build tree's library path from it.
function(korv_install_component_bundle name bundle)
  set(contents ${KORV_COMPONENT_INSTALL_DIR}/${name}.component/Contents)
  install(TARGETS ${name} LIBRARY DESTINATION ${contents}/MacOS COMPONENT runtime)
  install(FILES ${bundle}/Contents/Info.plist DESTINATION ${contents} COMPONENT runtime)
  if(ARGN)
    install(FILES ${ARGN} DESTINATION ${contents}/Resources COMPONENT runtime)
  endif()
endfunction()
