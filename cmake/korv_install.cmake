# What `cmake --install` puts where. Component "runtime": korval-host with its manual page, the shared
# platform stand-ins it and the component bundles load, the README and the guide, and the plug-ins'
# bundles (korv_add_plugin's rules). Component "sdk": the framework for building plug-ins outside this
# tree: headers, libraries, korv_add_plugin with its templates, the examples, and the CMake package
# Korval that find_package(Korval) reads.
include(CMakePackageConfigHelpers)

# The framework's libraries a plug-in builds on; each is also Korval::<name without korv_>, the name
# korv_add_plugin uses and the installed package gives it.
set(KORV_SDK_LIBRARIES korv_base korv_dsp korv_framework korv_platform korv_platform_objects korv_osg korv_raster
    korv_appkit korv_appkit_objects korv_gui korv_gui_mac_common korv_au korv_lv2 korv_lv2_ui korv_lv2_ttl)

# Gives the SDK's libraries made so far their package names; called after each folder joins the build,
# so that a plug-in's build call finds every library the folders before it made.
function(korv_alias_sdk_libraries)
  foreach(target IN LISTS KORV_SDK_LIBRARIES)
    string(REGEX REPLACE "^korv_" "" name ${target})
    if(TARGET ${target} AND NOT TARGET Korval::${name})
      add_library(Korval::${name} ALIAS ${target})
      set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
    endif()
  endforeach()
endfunction()

# korval-host, found by the program at $ORIGIN, with its shared libraries in the framework's folder.
function(korv_install_host)
  korv_relative_install_path(library_dir ${CMAKE_INSTALL_BINDIR} ${KORV_LIBRARY_INSTALL_DIR})
  set_target_properties(korval-host PROPERTIES INSTALL_RPATH "$ORIGIN/${library_dir}")
  install(TARGETS korval-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)

  # The manual page is korval-host's own --help, so the two never disagree.
  find_program(KORV_HELP2MAN help2man)
  if(NOT KORV_HELP2MAN)
    message(WARNING "help2man is missing (scripts/deps installs it): korval-host(1) is not made")
    return()
  endif()
  set(manual ${PROJECT_BINARY_DIR}/man/korval-host.1)
  add_custom_command(OUTPUT ${manual}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${KORV_HELP2MAN} --no-info --section 1 --name "command-line Audio Unit host" --output ${manual}
            $<TARGET_FILE:korval-host>
    DEPENDS korval-host
    COMMENT "Writing the manual page korval-host(1)"
    VERBATIM)
  add_custom_target(korval_host_manual ALL DEPENDS ${manual})
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
endfunction()

# The SDK: each library with the include folder of the installed headers, the headers at the paths the
# sources include them by, and the package.
function(korv_install_sdk)
  foreach(target IN LISTS KORV_SDK_LIBRARIES)
    get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
    if(dirs)
      list(TRANSFORM dirs REPLACE "^(.+)$" "$<BUILD_INTERFACE:\\1>")
      list(APPEND dirs "$<INSTALL_INTERFACE:${KORV_INCLUDE_INSTALL_DIR}>")
      set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${dirs}")
    endif()
  endforeach()
  # The framework's headers need C++20 wherever they are compiled.
  set_property(TARGET korv_base APPEND PROPERTY INTERFACE_COMPILE_FEATURES cxx_std_20)
  # The windowing stand-in finds the platform stand-in beside it.
  set_target_properties(korv_appkit PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${KORV_SDK_LIBRARIES} EXPORT KorvalTargets
    LIBRARY DESTINATION ${KORV_LIBRARY_INSTALL_DIR} COMPONENT runtime
    ARCHIVE DESTINATION ${KORV_LIBRARY_INSTALL_DIR} COMPONENT sdk
    OBJECTS DESTINATION ${KORV_LIBRARY_INSTALL_DIR}/objects COMPONENT sdk)

  foreach(dir base dsp framework raster gui au lv2)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${KORV_INCLUDE_INSTALL_DIR}/${dir} COMPONENT sdk
            FILES_MATCHING PATTERN "*.h" PATTERN "gallery" EXCLUDE PATTERN "tools" EXCLUDE)
  endforeach()
  foreach(dir platform/include platform/appkit/include platform/osg/include)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${KORV_INCLUDE_INSTALL_DIR} COMPONENT sdk)
  endforeach()

  set(package ${PROJECT_BINARY_DIR}/package)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KorvalConfig.cmake.in ${package}/KorvalConfig.cmake
                                INSTALL_DESTINATION ${KORV_PACKAGE_INSTALL_DIR})
  write_basic_package_version_file(${package}/KorvalConfigVersion.cmake VERSION ${PROJECT_VERSION}
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${package}/KorvalConfig.cmake ${package}/KorvalConfigVersion.cmake
                ${PROJECT_SOURCE_DIR}/cmake/korv_bundle.cmake ${PROJECT_SOURCE_DIR}/cmake/korv_lv2_bundle.cmake
                ${PROJECT_SOURCE_DIR}/cmake/korv_gui_mac.cmake ${PROJECT_SOURCE_DIR}/cmake/korv_plugin.cmake
          DESTINATION ${KORV_PACKAGE_INSTALL_DIR} COMPONENT sdk)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/cmake/plugin DESTINATION ${KORV_PACKAGE_INSTALL_DIR} COMPONENT sdk)
  list(TRANSFORM KORV_GUI_MAC_CLASS_SOURCES PREPEND ${KORV_GUI_MAC_SOURCE_DIR}/ OUTPUT_VARIABLE gui_mac_sources)
  install(FILES ${gui_mac_sources} DESTINATION ${KORV_PACKAGE_INSTALL_DIR}/plugin/gui_mac COMPONENT sdk)
  install(EXPORT KorvalTargets NAMESPACE Korval:: DESTINATION ${KORV_PACKAGE_INSTALL_DIR} COMPONENT sdk)
  # The examples, an effect and an instrument, to copy and build against the installed SDK.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/slantwise ${PROJECT_SOURCE_DIR}/examples/mothwing
          DESTINATION ${CMAKE_INSTALL_DATADIR}/korval/examples COMPONENT sdk)
endfunction()

function(korv_install)
  korv_install_host()
  korv_install_sdk()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/writing-a-plugin.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
endfunction()
