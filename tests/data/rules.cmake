# A small program that appends to or locks a results file from a process of its own,
# for the tests of the file lock between processes.
add_executable(kz_resultappender ${CMAKE_CURRENT_LIST_DIR}/resultappender.cpp)
target_link_libraries(kz_resultappender PRIVATE kzdata kz_settings)
if(TARGET tst_resultstore)
  add_dependencies(tst_resultstore kz_resultappender)
  target_compile_definitions(tst_resultstore PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
endif()
if(TARGET tst_answerlog)
  add_dependencies(tst_answerlog kz_resultappender)
  target_compile_definitions(tst_answerlog PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
endif()
