# Binary packages made by CPack from the install rules (scripts/package.sh):
#
# - Linux: two Debian packages in Debian's own split of a library,
#     libvexlo<SOVERSION>  the shared objects (install component Runtime);
#     libvexlo-dev         headers, the CMake package, vexlo.pc and the .so
#                          links (component Development), depending on the
#                          first at exactly this version, and the static
#                          libraries with their CMake targets (component
#                          StaticDevelopment of the static build named by
#                          VEXLO_PACKAGE_STATIC_BUILD, when given).
#   Configure with -DCMAKE_INSTALL_PREFIX=/usr, so that GNUInstallDirs picks
#   Debian's multiarch library directory (/usr/lib/x86_64-linux-gnu).
# - Windows (the MinGW build): one zip of the whole install tree: the DLLs
#   with the compiler's runtime DLLs, import libraries, headers, the CMake
#   package and vexlo.pc.

set(CPACK_PACKAGE_NAME vexlo)
set(CPACK_PACKAGE_VENDOR "The Vexlo developers")
set(VEXLO_PACKAGE_CONTACT "Vexlo maintainers <maintainers@vexlo.invalid>" CACHE STRING
  "The packages' maintainer (Debian's Maintainer field)")
set(CPACK_PACKAGE_CONTACT "${VEXLO_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_PACKAGE_FILE_NAME "vexlo-${PROJECT_VERSION}-win64")
  if(CMAKE_STRIP)
    set(CPACK_VEXLO_STRIP "${CMAKE_STRIP}")
    set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/VexloStripPackage.cmake")
  endif()
else()
  set(CPACK_GENERATOR DEB)
  # Each package's description below starts with its own summary line; an
  # empty common summary, or CPack would put the project's description first.
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Runtime Development)
  set(VEXLO_PACKAGE_STATIC_BUILD "" CACHE PATH
    "A static build (same prefix) whose archives libvexlo-dev carries as well")
  if(VEXLO_PACKAGE_STATIC_BUILD)
    # Each tree installs its own components; the static archives join the
    # Development package as members of its group.
    set(CPACK_INSTALL_CMAKE_PROJECTS
      "${PROJECT_BINARY_DIR};vexlo;SHARED;/"
      "${VEXLO_PACKAGE_STATIC_BUILD};vexlo;STATIC;/")
    set(CPACK_COMPONENTS_SHARED Runtime Development)
    set(CPACK_COMPONENTS_STATIC StaticDevelopment)
    list(APPEND CPACK_COMPONENTS_ALL StaticDevelopment)
    set(CPACK_COMPONENT_RUNTIME_GROUP Runtime)
    set(CPACK_COMPONENT_DEVELOPMENT_GROUP Development)
    set(CPACK_COMPONENT_STATICDEVELOPMENT_GROUP Development)
  endif()
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

  set(runtime_package "libvexlo${PROJECT_VERSION_MAJOR}")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "${runtime_package}")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "Vexlo C++ library: byte strings, channels, streams (shared libraries)
${PROJECT_DESCRIPTION}.
This package holds the shared libraries libvexlo and libtavric; the headers,
the CMake package and vexlo.pc are in libvexlo-dev.")
  # Dependencies from the shared objects' own needs (dpkg-shlibdeps), and a
  # shlibs file with the ldconfig trigger, as Debian's library packages have.
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvexlo-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${runtime_package} (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Vexlo C++ library: byte strings, channels, streams (development files)
${PROJECT_DESCRIPTION}.
This package holds the headers, the CMake package (find_package(vexlo)),
vexlo.pc for pkg-config, the links to the shared libraries and the static
libraries (find_package with vexlo_SHARED_LIBS=OFF).")
  unset(runtime_package)
endif()

include(CPack)
