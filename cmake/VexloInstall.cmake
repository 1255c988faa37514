include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The install components follow the split of Debian's library packages (see
# cmake/VexloPackaging.cmake): Runtime holds what a program needs to run (the
# shared objects, the DLLs), Development what it takes to build against the
# library (headers, the CMake package, vexlo.pc, the .so link, the import
# libraries). A static build puts its archives and their CMake targets in
# StaticDevelopment, which the Debian package takes from a static build to
# sit beside the shared build's files.
if(VEXLO_LIBRARY_TYPE STREQUAL "STATIC")
  set(VEXLO_ARCHIVE_COMPONENT StaticDevelopment)
else()
  set(VEXLO_ARCHIVE_COMPONENT Development)
endif()
install(TARGETS vexlo tavric
  EXPORT vexloTargets
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Runtime
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Runtime
    NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT ${VEXLO_ARCHIVE_COMPONENT})

# The public headers, folder by folder; each area's internal/ folder is not
# interface and stays behind.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/vexlo"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
  COMPONENT Development
  FILES_MATCHING PATTERN "*.h"
  PATTERN "internal" EXCLUDE)

# The shared and the static build each export their targets to a file of
# their own, so that both can be installed into one prefix (libvexlo-dev holds
# both); vexloConfig.cmake picks one.
set(VEXLO_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/vexlo")
if(VEXLO_LIBRARY_TYPE STREQUAL "STATIC")
  set(VEXLO_TARGETS_FILE vexloStaticTargets.cmake)
else()
  set(VEXLO_TARGETS_FILE vexloTargets.cmake)
endif()
install(EXPORT vexloTargets
  FILE "${VEXLO_TARGETS_FILE}"
  NAMESPACE vexlo::
  DESTINATION "${VEXLO_CMAKE_DIR}"
  COMPONENT ${VEXLO_ARCHIVE_COMPONENT})

configure_package_config_file(
  "${PROJECT_SOURCE_DIR}/cmake/vexloConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/vexloConfig.cmake"
  INSTALL_DESTINATION "${VEXLO_CMAKE_DIR}")
write_basic_package_version_file(
  "${PROJECT_BINARY_DIR}/vexloConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/vexloConfig.cmake"
  "${PROJECT_BINARY_DIR}/vexloConfigVersion.cmake"
  DESTINATION "${VEXLO_CMAKE_DIR}"
  COMPONENT Development)

file(RELATIVE_PATH VEXLO_PC_RELATIVE_PREFIX
  "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" VEXLO_PC_RELATIVE_PREFIX "${VEXLO_PC_RELATIVE_PREFIX}")
# Relocatable (paths relative to where vexlo.pc is installed), except in the
# system's own prefix, where the Debian packages install: there pkg-config
# recognises /usr/include and the multiarch library directory and drops them.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(VEXLO_PC_PREFIX "/usr")
else()
  set(VEXLO_PC_PREFIX "\${pcfiledir}/${VEXLO_PC_RELATIVE_PREFIX}")
endif()
# Include and link flags only: the language standard is the consumer's choice
# (C++17 or later, as the CMake target's cxx_std_17 says). A static build adds
# the definitions that turn the export macros off.
set(VEXLO_PC_CFLAGS "-I\${includedir}")
if(VEXLO_LIBRARY_TYPE STREQUAL "STATIC")
  string(APPEND VEXLO_PC_CFLAGS " -DVX_STATIC -DTVC_STATIC")
endif()
configure_file("${PROJECT_SOURCE_DIR}/cmake/vexlo.pc.in"
  "${PROJECT_BINARY_DIR}/vexlo.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/vexlo.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig"
  COMPONENT Development)

if(PROJECT_IS_TOP_LEVEL)
  include(VexloPackaging)
endif()
