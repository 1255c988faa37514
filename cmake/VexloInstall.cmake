include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Two install components, the split of Debian's library packages (see
# cmake/VexloPackaging.cmake): Runtime holds what a program needs to run (the
# shared objects, the DLLs), Development what it takes to build against the
# library (headers, the CMake package, vexlo.pc, the .so link, the import and
# static libraries).
install(TARGETS vexlo tavric
  EXPORT vexloTargets
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Runtime
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Runtime
    NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Development)

# The public headers, folder by folder; each area's internal/ folder is not
# interface and stays behind.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/vexlo"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
  COMPONENT Development
  FILES_MATCHING PATTERN "*.h"
  PATTERN "internal" EXCLUDE)

set(VEXLO_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/vexlo")
install(EXPORT vexloTargets
  NAMESPACE vexlo::
  DESTINATION "${VEXLO_CMAKE_DIR}"
  COMPONENT Development)

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
