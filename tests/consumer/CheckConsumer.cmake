# One check of the library as another project takes it, run by CTest with
# `cmake -P` (see the end of tests/CMakeLists.txt). Each check works in a
# fresh directory of its own under WORK.
#
# -DMODE=install           installs the build tree BUILD into PREFIX
# -DMODE=find_package      builds the consumer against PREFIX with find_package
# -DMODE=add_subdirectory  builds the consumer with the source tree added
# -DMODE=pkg_config        compiles the consumer with the flags of PREFIX's vexlo.pc
# -DMODE=headers           checks the installed headers: each include resolves in
#                          PREFIX or is the system's or fmt's, and nothing
#                          installed reaches Boost
#
# Also: SOURCE (the library's source tree), CONFIG, SHARED (ON/OFF), LIBDIR
# (the install's library directory), WINDOWS and SUFFIX (of programs), the build's
# compiler, flags, toolchain file, generator and make program, OBJDUMP,
# PKG_CONFIG, and EMULATOR (the cross build's program runner, its list
# separator written "|").
# Every consumer program is run, and its dependencies are read with objdump:
# it must need the library's shared objects or DLLs when they are shared, and
# must not when the library is static.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
set(consumer_source "${SOURCE}/tests/consumer")
set(work "${WORK}/${MODE}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${result}): ${command}")
  endif()
endfunction()

# The directories a Windows program searches for the DLLs it needs, as Wine's
# WINEPATH: those of the given files, and those of the compiler's runtime.
function(wine_path out)
  set(dirs "")
  foreach(file IN LISTS ARGN)
    get_filename_component(dir "${file}" DIRECTORY)
    list(APPEND dirs "${dir}")
  endforeach()
  foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND "${CXX}" -print-file-name=${dll}
      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
      get_filename_component(path "${path}" REALPATH)
      get_filename_component(dir "${path}" DIRECTORY)
      list(APPEND dirs "${dir}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  set(win "")
  foreach(dir IN LISTS dirs)
    string(REPLACE "/" "\\" dir "Z:${dir}")
    list(APPEND win "${dir}")
  endforeach()
  set(${out} "${win}" PARENT_SCOPE)
endfunction()

# Runs the consumer program and checks which of the library's shared objects
# or DLLs it needs. Further arguments: files (DLLs) whose directories a
# Windows program searches.
function(check_program program)
  if(NOT EXISTS "${program}")
    message(FATAL_ERROR "the consumer program ${program} was not built")
  endif()
  if(WINDOWS)
    wine_path(winepath ${ARGN})
    set(ENV{WINEPATH} "${winepath}")
  endif()
  if(EMULATOR)
    run(${EMULATOR} "${program}")
  else()
    run("${program}")
  endif()

  execute_process(COMMAND "${OBJDUMP}" -p "${program}" OUTPUT_VARIABLE headers
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${program}")
  endif()
  string(REGEX MATCHALL "(NEEDED[ \t]+lib(vexlo|tavric)\\.so[.0-9]*|DLL Name: (vexlo|tavric)\\.dll)"
    needed "${headers}")
  if(SHARED AND NOT needed MATCHES "vexlo")
    message(FATAL_ERROR "${program} does not need the shared library, yet it is shared:\n${headers}")
  elseif(NOT SHARED AND needed)
    message(FATAL_ERROR "${program} of a static build still needs: ${needed}")
  endif()
  string(REGEX REPLACE "[ \t]+" " " needed "${needed}")
  if(NOT needed)
    set(needed "none")
  endif()
  message(STATUS "${program} runs; of the library's shared objects it needs: ${needed}")
endfunction()

# Configures and builds the consumer project in a fresh directory.
function(build_consumer dir)
  file(REMOVE_RECURSE "${dir}")
  set(args -S "${consumer_source}" -B "${dir}" -G "${GENERATOR}"
    "-DCMAKE_BUILD_TYPE=${CONFIG}"
    "-DCMAKE_CXX_COMPILER=${CXX}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS}")
  if(MAKE_PROGRAM)
    list(APPEND args "-DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}")
  endif()
  if(TOOLCHAIN)
    list(APPEND args "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}")
  endif()
  run("${CMAKE_COMMAND}" ${args} ${ARGN})
  run("${CMAKE_COMMAND}" --build "${dir}" --config "${CONFIG}" --parallel 2)
endfunction()

function(find_consumer out dir)
  file(GLOB_RECURSE programs "${dir}/consumer" "${dir}/consumer.exe")
  list(GET programs 0 program)
  set(${out} "${program}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "install")
  file(REMOVE_RECURSE "${PREFIX}")
  run("${CMAKE_COMMAND}" --install "${BUILD}" --config "${CONFIG}" --prefix "${PREFIX}")

elseif(MODE STREQUAL "find_package")
  set(config_dir "${PREFIX}/${LIBDIR}/cmake/vexlo")
  if(TOOLCHAIN)
    # A cross toolchain searches its own root only: point at the package.
    build_consumer("${work}" "-Dvexlo_DIR=${config_dir}")
  else()
    build_consumer("${work}" "-DCMAKE_PREFIX_PATH=${PREFIX}")
  endif()
  find_consumer(program "${work}")
  file(GLOB dlls "${PREFIX}/bin/*.dll")
  check_program("${program}" ${dlls})

elseif(MODE STREQUAL "add_subdirectory")
  build_consumer("${work}" -DVEXLO_CONSUMER_MODE=add_subdirectory "-DBUILD_SHARED_LIBS=${SHARED}")
  find_consumer(program "${work}")
  file(GLOB_RECURSE dlls "${work}/*.dll")
  check_program("${program}" ${dlls})

elseif(MODE STREQUAL "pkg_config")
  set(pc_dir "${PREFIX}/${LIBDIR}/pkgconfig")
  # PKG_CONFIG_LIBDIR, not PKG_CONFIG_PATH: this prefix's packages only.
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_LIBDIR=${pc_dir}"
      "${PKG_CONFIG}" --cflags --libs vexlo
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know vexlo in ${pc_dir}")
  endif()
  if(flags MATCHES "-std=")
    message(FATAL_ERROR "vexlo.pc sets the language standard: ${flags}")
  endif()
  message(STATUS "pkg-config --cflags --libs vexlo: ${flags}")
  separate_arguments(flags UNIX_COMMAND "${flags}")
  separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS} ${EXE_LINKER_FLAGS}")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  set(program "${work}/consumer${SUFFIX}")
  set(rpath "")
  if(SHARED AND NOT WINDOWS)
    set(rpath "-Wl,-rpath,${PREFIX}/${LIBDIR}")
  endif()
  # The consumer picks its language standard itself.
  run("${CXX}" ${cxx_flags} -std=c++17 "${SOURCE}/examples/tour.cpp" ${flags} ${rpath}
    -o "${program}")
  file(GLOB dlls "${PREFIX}/bin/*.dll")
  check_program("${program}" ${dlls})

elseif(MODE STREQUAL "headers")
  # Boost is a private build dependency. A consumer's compile that reads no
  # Boost header and a package that names no Boost build exactly the same
  # whether Boost is on the machine or not, so this is what is checked: the
  # installed headers include no Boost header, the CMake package and
  # vexlo.pc mention no Boost, and the compiler, asked for every header the
  # consumer's translation unit reads (-M), lists none from Boost.
  # Each installed header includes the library's own installed headers, the
  # standard library's, or (vexlo/fmt.h) fmt's: nothing of the build tree.
  file(GLOB_RECURSE headers "${PREFIX}/include/vexlo/*.h")
  if(NOT headers)
    message(FATAL_ERROR "no headers installed in ${PREFIX}/include/vexlo")
  endif()
  foreach(header IN LISTS headers)
    file(STRINGS "${header}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        message(FATAL_ERROR "${header}: an include that names no header: ${line}")
      endif()
      set(delimiter "${CMAKE_MATCH_1}")
      set(name "${CMAKE_MATCH_2}")
      if(name MATCHES "^vexlo/")
        if(NOT EXISTS "${PREFIX}/include/${name}")
          message(FATAL_ERROR "${header} includes ${name}, which is not installed")
        endif()
      elseif(delimiter STREQUAL "\"" OR (name MATCHES "/" AND NOT name MATCHES "^fmt/"))
        message(FATAL_ERROR "${header} includes ${name}, neither the library's nor the system's")
      endif()
    endforeach()
  endforeach()
  file(GLOB_RECURSE package_files "${PREFIX}/*.cmake" "${PREFIX}/*.pc")
  foreach(file IN LISTS package_files)
    file(STRINGS "${file}" lines REGEX "[Bb][Oo][Oo][Ss][Tt]")
    if(lines)
      message(FATAL_ERROR "${file} mentions Boost: ${lines}")
    endif()
  endforeach()
  set(defines "")
  if(NOT SHARED)
    set(defines -DVX_STATIC -DTVC_STATIC)
  endif()
  separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
  execute_process(
    COMMAND "${CXX}" ${cxx_flags} -std=c++17 ${defines} "-I${PREFIX}/include" -M
      "${SOURCE}/examples/tour.cpp"
    OUTPUT_VARIABLE deps RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the consumer does not compile against ${PREFIX}/include")
  endif()
  if(NOT deps MATCHES "${PREFIX}/include/vexlo/vexlo.h")
    message(FATAL_ERROR "the dependency list does not name the installed vexlo.h:\n${deps}")
  endif()
  if(deps MATCHES "/boost/")
    message(FATAL_ERROR "the consumer's compile reads Boost headers:\n${deps}")
  endif()
  list(LENGTH headers count)
  message(STATUS "${count} installed headers include only installed, system and fmt headers; "
    "they, the CMake package and vexlo.pc reach no Boost")

else()
  message(FATAL_ERROR "unknown MODE '${MODE}'")
endif()
