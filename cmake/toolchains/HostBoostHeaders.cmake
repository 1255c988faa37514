# Included by the cross toolchain files: Boost for a cross build.
#
# Boost is used header-only, and Debian's Boost headers are the same for
# every target, but they live in /usr/include beside the host's C library
# headers, which must never reach the cross compiler. The build tree gets a
# directory holding nothing but a link to them, and FindBoost is pointed
# there instead of at the host's (x86_64-linux-gnu) package files.
if(NOT DEFINED Boost_INCLUDE_DIR AND EXISTS /usr/include/boost/version.hpp
   AND NOT CMAKE_BINARY_DIR MATCHES "/CMakeFiles/CMakeScratch/|/CMakeFiles/CMakeTmp")
  set(_vexlo_boost_root "${CMAKE_BINARY_DIR}/host-headers")
  if(NOT EXISTS "${_vexlo_boost_root}/boost")
    file(MAKE_DIRECTORY "${_vexlo_boost_root}")
    file(CREATE_LINK /usr/include/boost "${_vexlo_boost_root}/boost" SYMBOLIC)
  endif()
  set(Boost_INCLUDE_DIR "${_vexlo_boost_root}" CACHE PATH "Boost headers for the cross build")
  set(Boost_NO_BOOST_CMAKE ON CACHE BOOL "Use FindBoost's header search in the cross build")
  unset(_vexlo_boost_root)
endif()
