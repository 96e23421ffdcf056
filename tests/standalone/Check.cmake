# cmake -P Check.cmake: configures the consumer project over one folder and compiles its
# one source, which includes the folder's header with the include path, language level
# and packages the folder's library hands on. Compiling only that file keeps it cheap;
# the folder's own sources are built by the main build.
#   -DFOLDER=... -DHEADER=... -DLIBRARY=... -DBINARY_DIR=... -DCXX=... -DC=...
file(REMOVE_RECURSE ${BINARY_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/consumer -B ${BINARY_DIR} -G Ninja
            -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_C_COMPILER=${C}
            -DTARVEL_FOLDER=${FOLDER} -DTARVEL_HEADER=${HEADER} -DTARVEL_LIBRARY=${LIBRARY}
    RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "${FOLDER} does not configure on its own")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target CMakeFiles/consumer.dir/consumer.cpp.o
    RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "${HEADER} does not compile with what ${LIBRARY} hands on")
endif()
