# Configures the project with the Unix Makefiles generator and builds the
# program folder's generated files: the shipped database files and the example
# calculations. Makefiles, unlike Ninja, make no folder for a command's output.
#   cmake -DSOURCE_DIR=<sources> -DWORK_DIR=<build folder> [-DLAUNCHER=<ccache>] -P makefiles_build.cmake
# The folder is kept between runs to spare recompiling the store; every run
# first removes the generated files and the folders they go to.
foreach(var SOURCE_DIR WORK_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR}/shipped ${WORK_DIR}/bin)

set(configure_args -S ${SOURCE_DIR} -B ${WORK_DIR} -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Debug)
if(LAUNCHER)
  list(APPEND configure_args -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER} -DCMAKE_C_COMPILER_LAUNCHER=${LAUNCHER})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} ${configure_args} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Configuring with Unix Makefiles failed: ${rc}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR} -j2 --target volm_data volm_examples
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Building the generated files with Unix Makefiles failed: ${rc}\n${out}")
endif()

foreach(file bin/GidrRas.mdb bin/Nastr.mdb bin/Spr.mdb shipped/GidrRas.mdb
             bin/examples/one_pipe.mdb bin/examples/two_pipe.mdb bin/examples/method_example.mdb)
  if(NOT EXISTS ${WORK_DIR}/${file})
    message(FATAL_ERROR "The Makefiles build made no ${file}")
  endif()
endforeach()
message(STATUS "Unix Makefiles: the generated files of the program folder are built")
