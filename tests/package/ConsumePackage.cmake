# Installs BUILD_DIR's ZintraSock component into WORK_DIR/installed, moves that tree to
# WORK_DIR/prefix (a package must not remember where it was installed), checks that it holds
# nothing of the ticker and no header of the layer's insides, then configures, builds and runs
# the project in CONSUMER_DIR against it with nothing but CMAKE_PREFIX_PATH to find it.

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        message(FATAL_ERROR "${command} failed (${result}):\n${out}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

set(installed ${WORK_DIR}/installed)
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${installed} --component ZintraSock)
file(RENAME ${installed} ${prefix})

file(GLOB_RECURSE headers RELATIVE ${prefix} ${prefix}/*.h)
foreach(header IN LISTS headers)
    if(NOT header MATCHES "^include/zintra/(base|winsock|sock)/" OR header MATCHES "/Posix|/Async|/ReadAhead")
        message(FATAL_ERROR "the package installs ${header}, which is not the socket component's")
    endif()
endforeach()
file(GLOB_RECURSE exported ${prefix}/*Targets*.cmake)
foreach(file IN LISTS exported)
    file(READ ${file} text)
    if(text MATCHES "${installed}|zintra_core|resources")
        message(FATAL_ERROR "${file} names ${CMAKE_MATCH_0}")
    endif()
endforeach()
if(NOT EXISTS ${prefix}/${BINDIR}/sockecho)
    message(FATAL_ERROR "sockecho was not installed in ${prefix}/${BINDIR}")
endif()

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/sock_consumer)
if(NOT output STREQUAL "port 80, Error #10061 (WSAECONNREFUSED)\n")
    message(FATAL_ERROR "unexpected output of the consumer: '${output}'")
endif()
