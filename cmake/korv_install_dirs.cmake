# Where `cmake --install` puts the framework's files, below the install prefix (absolute paths are
# taken as they are). Debian's packages use the same places with the prefix /usr.
set(CMAKE_INSTALL_DOCDIR "share/doc/korvaline" CACHE PATH "Install directory of the README and the guide")
include(GNUInstallDirs)
# A folder of the framework's own, never on the system's library path: korval-host and the component
# bundles find the shared platform stand-ins there, and plug-in builds the SDK's libraries.
set(KORV_LIBRARY_INSTALL_DIR "lib/korval" CACHE PATH "Install directory of the framework's libraries")
set(KORV_INCLUDE_INSTALL_DIR "${CMAKE_INSTALL_INCLUDEDIR}/korval")
# find_package(Korval) looks in <prefix>/lib/cmake/Korval.
set(KORV_PACKAGE_INSTALL_DIR "lib/cmake/Korval")

# korv_relative_install_path(var from to): the path from the installed folder `from` to `to`, for a
# program that finds its files relative to itself wherever the installed tree is unpacked.
function(korv_relative_install_path var from to)
  foreach(dir from to)
    if(NOT IS_ABSOLUTE "${${dir}}")
      set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
  endforeach()
  file(RELATIVE_PATH relative "${from}" "${to}")
  set(${var} "${relative}" PARENT_SCOPE)
endfunction()
