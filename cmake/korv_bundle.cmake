# Where `cmake --install` puts component bundles: relative paths are under the install prefix, where an
# installed korval-host looks for KORVALINE.
set(KORV_COMPONENT_INSTALL_DIR "lib/korval/components" CACHE PATH "Install directory of the component bundles")

# korv_add_component_bundle(NAME name TARGET shared-library-target INFO_PLIST template
#                           [RESOURCES file...] [OUTPUT_DIRECTORY dir])
# Lays out dir/NAME.component/Contents/ as the component manager loads it: Info.plist (the template
# configured with @BUNDLE_EXECUTABLE@ and any other variables in scope), MacOS/NAME (the target's
# shared object) and Resources/ (the listed files, flat). dir defaults to the current binary dir.
# Sets NAME_BUNDLE_DIR in the caller's scope.
function(korv_add_component_bundle)
  cmake_parse_arguments(ARG "" "NAME;TARGET;INFO_PLIST;OUTPUT_DIRECTORY" "RESOURCES" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_TARGET OR NOT ARG_INFO_PLIST)
    message(FATAL_ERROR "korv_add_component_bundle needs NAME, TARGET and INFO_PLIST")
  endif()
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(contents ${ARG_OUTPUT_DIRECTORY}/${ARG_NAME}.component/Contents)

  set(BUNDLE_EXECUTABLE ${ARG_NAME})
  configure_file(${ARG_INFO_PLIST} ${contents}/Info.plist @ONLY)

  set_target_properties(${ARG_TARGET} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${contents}/MacOS
    OUTPUT_NAME ${ARG_NAME}
    PREFIX ""
    SUFFIX "")

  # One rule per file, so an edited resource is copied again without relinking the library.
  set(copied)
  foreach(resource IN LISTS ARG_RESOURCES)
    get_filename_component(source ${resource} ABSOLUTE)
    get_filename_component(file_name ${resource} NAME)
    add_custom_command(OUTPUT ${contents}/Resources/${file_name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${contents}/Resources/${file_name}
      DEPENDS ${source}
      VERBATIM)
    list(APPEND copied ${contents}/Resources/${file_name})
  endforeach()
  if(copied)
    add_custom_target(${ARG_NAME}_bundle_resources DEPENDS ${copied})
    add_dependencies(${ARG_TARGET} ${ARG_NAME}_bundle_resources)
  endif()
  set(${ARG_NAME}_BUNDLE_DIR ${ARG_OUTPUT_DIRECTORY}/${ARG_NAME}.component PARENT_SCOPE)
endfunction()
