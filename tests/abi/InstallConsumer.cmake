# Installs the build into a fresh temporary prefix, then builds and runs a
# small host program against that prefix twice: once through the CMake
# package (find_package(Varnel), Varnel::varnel) and once through
# pkg-config. Catches missing headers, a broken package or .pc file and a
# library that cannot be loaded from its installed place.
#
# Run as: cmake -DBUILD_DIR=... -DWORK_DIR=... -DCONSUMER_SOURCE=...
#               -DGENERATOR=... [-DMAKE_PROGRAM=...] -DCXX_COMPILER=...
#               -DLIBDIR=<CMAKE_INSTALL_LIBDIR> -P InstallConsumer.cmake
cmake_minimum_required(VERSION 3.20)

foreach(var BUILD_DIR WORK_DIR CONSUMER_SOURCE GENERATOR CXX_COMPILER LIBDIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "InstallConsumer: ${var} is not set")
  endif()
endforeach()

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  message(STATUS "${what}: ok")
endfunction()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

run_step("install into ${prefix}"
  ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

foreach(required include/varnel/varnel.h include/varnel/VarnelDll.h
                 include/varnel/varnel_export.h
                 ${LIBDIR}/cmake/Varnel/VarnelConfig.cmake
                 ${LIBDIR}/pkgconfig/varnel.pc)
  if(NOT EXISTS "${prefix}/${required}")
    message(FATAL_ERROR "install did not provide ${required}")
  endif()
endforeach()

set(generator_args -G "${GENERATOR}" -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
if(MAKE_PROGRAM)
  list(APPEND generator_args -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
endif()

# The library is found only through the prefix: no system copy may stand in.
set(run_env ${CMAKE_COMMAND} -E env "LD_LIBRARY_PATH=${prefix}/${LIBDIR}")

# pkg-config does not know the temporary prefix. The .pc file is read from
# it through PKG_CONFIG_PATH and its prefix variable is pointed at it, as a
# packager staging an install does.
set(pc_env ${CMAKE_COMMAND} -E env
  "PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig"
  "PKG_CONFIG_LIBDIR=${prefix}/${LIBDIR}/pkgconfig")

foreach(kind package pkgconfig)
  set(build "${WORK_DIR}/consumer-${kind}")
  if(kind STREQUAL "package")
    run_step("configure consumer (find_package)"
      ${CMAKE_COMMAND} ${generator_args} -S "${CONSUMER_SOURCE}" -B "${build}"
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF
      -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
  else()
    run_step("configure consumer (pkg-config)"
      ${pc_env} ${CMAKE_COMMAND} ${generator_args} -S "${CONSUMER_SOURCE}" -B "${build}"
      -DCONSUMER_USE_PKGCONFIG=ON)
  endif()
  run_step("build consumer (${kind})" ${CMAKE_COMMAND} --build "${build}")
  run_step("run consumer (${kind})" ${run_env} "${build}/consumer")
endforeach()
