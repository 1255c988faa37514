# The layout of a Windows build: DLLs without the "lib" prefix (vexlo.dll,
# tavric.dll; import libraries stay libvexlo.dll.a / libtavric.dll.a), and
# every DLL and program of the build in one directory, <build>/bin, beside
# the compiler's runtime DLLs. Windows finds a program's DLLs in the
# program's own directory, so the programs there run as they are, under Wine
# or on Windows, with no PATH or WINEPATH to set up.

set(CMAKE_SHARED_LIBRARY_PREFIX "")
if(PROJECT_IS_TOP_LEVEL AND NOT CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/bin")
endif()

if(NOT MINGW)
  return()
endif()

# The GCC runtime is linked dynamically, and must be: exceptions thrown in
# vexlo.dll are caught in the programs, and memory allocated on one side of a
# DLL boundary is freed on the other, which works only when every module
# shares one libstdc++ and one libgcc. These are the DLLs the compiler that
# builds this tree links against (the posix-threads variant adds
# libwinpthread-1.dll).
set(VEXLO_MINGW_RUNTIME_DLLS "")
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(
    COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
    OUTPUT_VARIABLE path
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    if(dll STREQUAL "libwinpthread-1.dll")
      continue()  # the win32-threads compiler variant does not use it
    endif()
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  get_filename_component(path "${path}" REALPATH)
  list(APPEND VEXLO_MINGW_RUNTIME_DLLS "${path}")
endforeach()

if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(copies "")
  foreach(path IN LISTS VEXLO_MINGW_RUNTIME_DLLS)
    get_filename_component(name "${path}" NAME)
    set(copy "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}")
    add_custom_command(OUTPUT "${copy}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${path}" "${copy}"
      DEPENDS "${path}"
      COMMENT "Copying the MinGW runtime ${name}"
      VERBATIM)
    list(APPEND copies "${copy}")
  endforeach()
  add_custom_target(vexlo_mingw_runtime ALL DEPENDS ${copies})
endif()

if(VEXLO_INSTALL)
  install(FILES ${VEXLO_MINGW_RUNTIME_DLLS} DESTINATION "${CMAKE_INSTALL_BINDIR}"
    COMPONENT Runtime)
endif()
