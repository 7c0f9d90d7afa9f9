# Runs scripts/check-packages.sh against the package list of scripts/deps.sh without
# libqt6opengl6-dev: the build found Qt6OpenGL, so the check must fail and name the package.
execute_process(COMMAND ${SOURCE}/scripts/deps.sh --list OUTPUT_VARIABLE list RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT list MATCHES "libqt6opengl6-dev")
  message(FATAL_ERROR "scripts/deps.sh --list failed or lacks libqt6opengl6-dev:\n${list}")
endif()
string(REPLACE "libqt6opengl6-dev\n" "" reduced "${list}")
file(WRITE ${WORK}/deps-without-opengl.txt "${reduced}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DEPS_LIST=${WORK}/deps-without-opengl.txt
                        ${SOURCE}/scripts/check-packages.sh ${BUILD}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(rc EQUAL 0)
  message(FATAL_ERROR "the check passed with libqt6opengl6-dev left out of the list")
endif()
if(NOT err MATCHES "missing from scripts/deps.sh: [^\n]*libqt6opengl6-dev")
  message(FATAL_ERROR "the check failed without naming libqt6opengl6-dev")
endif()
