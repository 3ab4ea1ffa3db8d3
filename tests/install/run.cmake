# Installs the build into a fresh prefix, then builds the host program against
# the installed package twice - with find_package and with pkg-config - and
# runs both. Invoked by ctest as: cmake -D... -P run.cmake
#
# Inputs: BUILD_DIR, SRC_DIR, WORK_DIR, CXX, GENERATOR, MAKE_PROGRAM,
# BUILD_TYPE, LIBDIR, BINDIR, INCLUDEDIR.

cmake_minimum_required(VERSION 3.16)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
endfunction()

# Runs a program and compares its standard output with the expected text.
function(check_output what program)
  execute_process(COMMAND ${program} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(READ ${SRC_DIR}/tests/install/expected.txt expected)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${what}: status ${rc}, output:\n${out}\nexpected:\n${expected}\n${err}")
  endif()
  message(STATUS "${what}: ok")
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f ${BINDIR}/asm-zqs ${BINDIR}/dis-zqs ${LIBDIR}/libasm_zqs.a ${INCLUDEDIR}/asm_zqs.h
          ${INCLUDEDIR}/asm_image.h ${INCLUDEDIR}/asm_dis.h
          ${LIBDIR}/cmake/asm_zqs/asm_zqsConfig.cmake
          ${LIBDIR}/cmake/asm_zqs/asm_zqsConfigVersion.cmake
          ${LIBDIR}/cmake/asm_zqs/asm_zqsTargets.cmake
          ${LIBDIR}/pkgconfig/asm_zqs.pc)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The installed tool runs on its own.
execute_process(COMMAND ${prefix}/${BINDIR}/asm-zqs RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 1 OR NOT out MATCHES "^FATAL ERROR> Missing source file name\\.\n")
  message(FATAL_ERROR "installed asm-zqs: status ${rc}, output:\n${out}")
endif()

# The installed disassembler runs on its own.
execute_process(COMMAND ${prefix}/${BINDIR}/dis-zqs -w 0xE0000028 RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "0x00000000  0xE0000028  JMP 0x28\n")
  message(FATAL_ERROR "installed dis-zqs: status ${rc}, output:\n${out}")
endif()

# 1. A CMake project using find_package(asm_zqs).
set(host_build ${WORK_DIR}/host-cmake)
set(configure ${CMAKE_COMMAND} -S ${SRC_DIR}/tests/install/host -B ${host_build} -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
if(MAKE_PROGRAM)
  list(APPEND configure -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
endif()
run("host configure" ${configure})
run("host build" ${CMAKE_COMMAND} --build ${host_build})
check_output("find_package host" ${host_build}/host)

# 2. The same program compiled by hand with the flags pkg-config gives.
find_program(PKG_CONFIG NAMES pkg-config pkgconf REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs asm_zqs
                RESULT_VARIABLE rc OUTPUT_VARIABLE pc_flags ERROR_VARIABLE err
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config failed: ${err}")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run("pkg-config host build" ${CXX} ${SRC_DIR}/tests/install/host/host.cpp ${pc_flags}
    -o ${WORK_DIR}/host-pc)
check_output("pkg-config host" ${WORK_DIR}/host-pc)

file(REMOVE_RECURSE ${WORK_DIR})
