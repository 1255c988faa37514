# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the install tree of the Windows
# zip before it is packed: the compiler's runtime DLLs come with their debug
# information (libstdc++-6.dll alone is over 20 MB), which users of the
# package have no use for. CPACK_STRIP_FILES strips the library's own DLLs.
file(GLOB_RECURSE dlls "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.dll")
foreach(dll IN LISTS dlls)
  execute_process(COMMAND "${CPACK_VEXLO_STRIP}" --strip-debug "${dll}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CPACK_VEXLO_STRIP} could not strip ${dll}")
  endif()
endforeach()
