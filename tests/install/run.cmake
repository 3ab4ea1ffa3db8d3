# Installs the build into a fresh prefix, then builds host programs against
# the installed package and runs them: the C++ host with find_package and with
# pkg-config; the C99 host (c_host/) with find_package and with pkg-config,
# each against the static and the shared library, and loading the shared
# library with dlopen; the C host once more under LeakSanitizer.
# Invoked by ctest as: cmake -D... -P run.cmake
#
# Inputs: BUILD_DIR, SRC_DIR, WORK_DIR, CXX, CC, GENERATOR, MAKE_PROGRAM,
# BUILD_TYPE, LIBDIR, BINDIR, INCLUDEDIR, DATADIR, SANITIZE.

cmake_minimum_required(VERSION 3.16)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
endfunction()

# Runs a program (in a scratch directory) and compares its standard output
# with the expected text (default expected.txt).
function(check_output what program)
  set(expected_file expected.txt)
  if(ARGC GREATER 2)
    set(expected_file ${ARGV2})
  endif()
  set(run_dir ${WORK_DIR}/run)
  file(REMOVE_RECURSE ${run_dir})
  file(MAKE_DIRECTORY ${run_dir})
  execute_process(COMMAND ${program} ${ARGN_EXTRA} WORKING_DIRECTORY ${run_dir}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(READ ${SRC_DIR}/tests/install/${expected_file} expected)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${what}: status ${rc}, output:\n${out}\nexpected:\n${expected}\n${err}")
  endif()
  message(STATUS "${what}: ok")
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f ${BINDIR}/asm-zqs ${BINDIR}/dis-zqs ${BINDIR}/zqs-lsp ${BINDIR}/zqs-cov ${LIBDIR}/libasm_zqs.a ${INCLUDEDIR}/asm_zqs.h
          share/man/man1/asm-zqs.1 share/man/man1/zqs-lsp.1 share/man/man1/zqs-cov.1
          ${INCLUDEDIR}/asm_zqs_c.h ${INCLUDEDIR}/asm_zqs_api.h
          ${LIBDIR}/libasm_zqs.so ${LIBDIR}/libasm_zqs.so.0 ${LIBDIR}/pkgconfig/asm_zqs_shared.pc
          ${LIBDIR}/cmake/asm_zqs/asm_zqsConfig.cmake
          ${LIBDIR}/cmake/asm_zqs/asm_zqsConfigVersion.cmake
          ${LIBDIR}/cmake/asm_zqs/asm_zqsTargets.cmake
          ${LIBDIR}/pkgconfig/asm_zqs.pc)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The editor files and the instruction-set reference, every file as in the sources.
foreach(pair "editors/vim=vim" "editors/nvim=nvim" "editors/vscode=vscode" "docs/isa=isa")
  string(REPLACE "=" ";" pair ${pair})
  list(GET pair 0 from)
  list(GET pair 1 to)
  file(GLOB_RECURSE files RELATIVE ${SRC_DIR}/${from} ${SRC_DIR}/${from}/*)
  if(NOT files)
    message(FATAL_ERROR "no files in ${SRC_DIR}/${from}")
  endif()
  foreach(f ${files})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SRC_DIR}/${from}/${f}
                            ${prefix}/${DATADIR}/asm_zqs/${to}/${f} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "not installed as in the sources: ${DATADIR}/asm_zqs/${to}/${f}")
    endif()
  endforeach()
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

# 3. The C99 host with find_package: static and shared targets.
set(c_build ${WORK_DIR}/c-host-cmake)
set(configure ${CMAKE_COMMAND} -S ${SRC_DIR}/tests/install/c_host -B ${c_build} -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${CC} -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
if(MAKE_PROGRAM)
  list(APPEND configure -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
endif()
run("C host configure" ${configure})
run("C host build" ${CMAKE_COMMAND} --build ${c_build})
check_output("C host, CMake, static" ${c_build}/host_static expected_c.txt)
check_output("C host, CMake, shared" ${c_build}/host_shared expected_c.txt)
# The shared one really uses the installed shared library.
execute_process(COMMAND readelf -d ${c_build}/host_shared OUTPUT_VARIABLE dyn)
if(NOT dyn MATCHES "NEEDED[^\n]*libasm_zqs\.so\.0")
  message(FATAL_ERROR "host_shared does not need libasm_zqs.so.0:\n${dyn}")
endif()

# 4. The C99 host with pkg-config: asm_zqs (static) and asm_zqs_shared.
set(c_flags -std=c99 -Wall -Wextra -Werror -pedantic)
foreach(pc asm_zqs asm_zqs_shared)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs ${pc}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE flags ERROR_VARIABLE err
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config ${pc} failed: ${err}")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run("C host ${pc} build" ${CC} ${c_flags} ${SRC_DIR}/tests/install/c_host/host.c ${flags}
      -Wl,-rpath,${prefix}/${LIBDIR} -o ${WORK_DIR}/c-host-${pc})
  check_output("C host, pkg-config ${pc}" ${WORK_DIR}/c-host-${pc} expected_c.txt)
endforeach()

# 5. The C99 host loading the installed shared library with dlopen.
# A sanitized library can only be loaded into a program that has the sanitizer runtimes.
set(dlopen_flags "")
if(SANITIZE)
  set(dlopen_flags -fsanitize=address,undefined)
endif()
run("C host dlopen build" ${CC} ${c_flags} ${dlopen_flags} -DZQS_DLOPEN -I${prefix}/${INCLUDEDIR}
    ${SRC_DIR}/tests/install/c_host/host.c -ldl -o ${WORK_DIR}/c-host-dlopen)
set(ARGN_EXTRA ${prefix}/${LIBDIR}/libasm_zqs.so.0)
check_output("C host, dlopen" ${WORK_DIR}/c-host-dlopen expected_c.txt)
unset(ARGN_EXTRA)

# 6. LeakSanitizer watches the C host: everything freed gives a clean run, and
# a program left unfreed is reported (so the check does see the library's memory).
execute_process(COMMAND ${CC} -print-file-name=liblsan.so OUTPUT_VARIABLE lsan
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT SANITIZE AND IS_ABSOLUTE "${lsan}" AND EXISTS "${lsan}")
  run("C host LeakSanitizer build" ${CC} ${c_flags} -fsanitize=leak -I${prefix}/${INCLUDEDIR}
      ${SRC_DIR}/tests/install/c_host/host.c ${prefix}/${LIBDIR}/libasm_zqs.so.0
      -Wl,-rpath,${prefix}/${LIBDIR} -o ${WORK_DIR}/c-host-lsan)
  check_output("C host, LeakSanitizer" ${WORK_DIR}/c-host-lsan expected_c.txt)
  set(run_dir ${WORK_DIR}/run)
  execute_process(COMMAND ${WORK_DIR}/c-host-lsan leak WORKING_DIRECTORY ${run_dir}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(rc EQUAL 0 OR NOT err MATCHES "LeakSanitizer: detected memory leaks")
    message(FATAL_ERROR "an unfreed program went unnoticed (${rc}):\n${err}")
  endif()
  message(STATUS "C host, LeakSanitizer sees an unfreed program: ok")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
