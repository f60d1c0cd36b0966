# A small program that appends to or locks a results file from a process of its own,
# for the tests of the file lock between processes.
add_executable(kz_resultappender ${CMAKE_CURRENT_LIST_DIR}/resultappender.cpp)
target_link_libraries(kz_resultappender PRIVATE kzdata kz_settings)
foreach(name tst_resultstore tst_resultmaintenance tst_answerlog tst_keptattempts)
  if(TARGET ${name})
    add_dependencies(${name} kz_resultappender)
    target_compile_definitions(${name} PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
  endif()
endforeach()
