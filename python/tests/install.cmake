# Installs the build into a fresh prefix and imports the installed package
# with only PYTHONPATH set: it must find the installed library by itself,
# also after the prefix has been moved. Invoked by ctest as
# cmake -DBUILD_DIR= -DWORK_DIR= -DPYTHON= -DPYTHON_DIR= -DEXAMPLES= -P install.cmake
cmake_minimum_required(VERSION 3.16)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed (${rc}): ${err}")
endif()

set(script [=[
import sys, zqs
prefix = sys.argv[1]
assert zqs._lib_handle._name.startswith(prefix), zqs._lib_handle._name
assert zqs.disassemble(0x10000005) == "MOVL R0, 0x5"
prog = zqs.assemble_file(sys.argv[2] + "/demo.zqs", include_dirs=[sys.argv[2]])
print(len(prog.words), sorted(prog.labels))
]=])
foreach(where prefix moved)
  if(where STREQUAL "moved")
    file(RENAME ${WORK_DIR}/prefix ${WORK_DIR}/moved)
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=ZQS_LIBRARY --unset=LD_LIBRARY_PATH
            PYTHONPATH=${WORK_DIR}/${where}/${PYTHON_DIR} PYTHONDONTWRITEBYTECODE=1
            ${PYTHON} -c "${script}" ${WORK_DIR}/${where} ${EXAMPLES}
    WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "import zqs from the ${where} prefix failed (${rc}):\n${out}${err}")
  endif()
  message(STATUS "${where}: ${out}")
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
