# Where `cmake --install` puts LV2 bundles: relative paths are under the install prefix
# (lib/lv2 is on every LV2 host's default path); set it to $HOME/.lv2 for a user install.
set(KORV_LV2_INSTALL_DIR "lib/lv2" CACHE PATH "Install directory of the LV2 bundles")

# korv_add_lv2_bundle(NAME name TARGET module-target UI_TARGET ui-module-target TTL_GENERATOR executable
#                     OUTPUT_DIRECTORY dir PICTURE_ROOT root PICTURES files... [NO_INSTALL])
# Lays out dir/NAME.lv2/: NAME.so (the module, exporting only lv2_descriptor), NAME_ui.so (the editor,
# exporting only lv2ui_descriptor), the editor's pictures at their paths below root, and manifest.ttl,
# NAME.ttl and, for a plug-in with factory presets, presets.ttl written by the generator at build time.
# Sets NAME_LV2_BUNDLE_DIR in the caller's scope and installs the bundle (unless NO_INSTALL).
function(korv_add_lv2_bundle)
  cmake_parse_arguments(ARG "NO_INSTALL" "NAME;TARGET;UI_TARGET;TTL_GENERATOR;OUTPUT_DIRECTORY;PICTURE_ROOT" "PICTURES" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_TARGET OR NOT ARG_UI_TARGET OR NOT ARG_TTL_GENERATOR OR NOT ARG_OUTPUT_DIRECTORY)
    message(FATAL_ERROR "korv_add_lv2_bundle needs NAME, TARGET, UI_TARGET, TTL_GENERATOR and OUTPUT_DIRECTORY")
  endif()
  set(bundle ${ARG_OUTPUT_DIRECTORY}/${ARG_NAME}.lv2)
  korv_lv2_module(${ARG_TARGET} ${bundle} ${ARG_NAME} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/plugin/lv2_exports.map)
  korv_lv2_module(${ARG_UI_TARGET} ${bundle} ${ARG_NAME}_ui ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/plugin/lv2_ui_exports.map)

  set(turtle ${bundle}/manifest.ttl ${bundle}/${ARG_NAME}.ttl)
  add_custom_command(OUTPUT ${turtle}
    BYPRODUCTS ${bundle}/presets.ttl
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}
    COMMAND ${ARG_TTL_GENERATOR} ${bundle} ${ARG_NAME}.so ${ARG_NAME}_ui.so ${ARG_NAME}.ttl presets.ttl
    DEPENDS ${ARG_TTL_GENERATOR}
    COMMENT "Describing ${ARG_NAME}.lv2"
    VERBATIM)
  set(copies)
  foreach(picture IN LISTS ARG_PICTURES)
    file(RELATIVE_PATH relative ${ARG_PICTURE_ROOT} ${picture})
    add_custom_command(OUTPUT ${bundle}/${relative}
      COMMAND ${CMAKE_COMMAND} -E copy ${picture} ${bundle}/${relative}
      DEPENDS ${picture}
      VERBATIM)
    list(APPEND copies ${bundle}/${relative})
  endforeach()
  add_custom_target(${ARG_NAME}_lv2_files DEPENDS ${turtle} ${copies})
  add_dependencies(${ARG_TARGET} ${ARG_NAME}_lv2_files)
  add_dependencies(${ARG_UI_TARGET} ${ARG_NAME}_lv2_files)

  if(NOT ARG_NO_INSTALL)
    install(DIRECTORY ${bundle} DESTINATION ${KORV_LV2_INSTALL_DIR} COMPONENT runtime)
  endif()
  set(${ARG_NAME}_LV2_BUNDLE_DIR ${bundle} PARENT_SCOPE)
endfunction()

# A module of a bundle: a shared object in the bundle's folder exporting only what the map names.
function(korv_lv2_module target bundle name exports)
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${bundle}
    OUTPUT_NAME ${name}
    PREFIX ""
    SUFFIX ".so"
    # The bundle needs nothing of the build tree, and is copied as it is when installed.
    SKIP_BUILD_RPATH TRUE
    LINK_DEPENDS ${exports})
  # Only libraries it uses: the framework's libraries bring the shared platform stand-in along, which
  # the module does not call (or carries its own copy of) and an installed bundle could not find.
  target_link_options(${target} PRIVATE -Wl,--version-script=${exports} -Wl,--no-undefined -Wl,--as-needed)
endfunction()
