include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS vexlo tavric
  EXPORT vexloTargets
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")

# The public headers, folder by folder; each area's internal/ folder is not
# interface and stays behind.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/vexlo"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
  FILES_MATCHING PATTERN "*.h"
  PATTERN "internal" EXCLUDE)

set(VEXLO_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/vexlo")
install(EXPORT vexloTargets
  NAMESPACE vexlo::
  DESTINATION "${VEXLO_CMAKE_DIR}")

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
  DESTINATION "${VEXLO_CMAKE_DIR}")

file(RELATIVE_PATH VEXLO_PC_RELATIVE_PREFIX
  "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" VEXLO_PC_RELATIVE_PREFIX "${VEXLO_PC_RELATIVE_PREFIX}")
configure_file("${PROJECT_SOURCE_DIR}/cmake/vexlo.pc.in"
  "${PROJECT_BINARY_DIR}/vexlo.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/vexlo.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
