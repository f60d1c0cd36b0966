# The program that the sound cue test runs as a child process: it must end by itself
# when the answer sounds keep failing.
add_executable(kz_soundfatal_helper ${CMAKE_CURRENT_LIST_DIR}/soundfatal_helper.cpp)
target_link_libraries(kz_soundfatal_helper PRIVATE kzcore_gui kz_testsupport kz_settings)
target_include_directories(kz_soundfatal_helper PRIVATE ${PROJECT_SOURCE_DIR}/tests)
add_dependencies(tst_soundcues kz_soundfatal_helper)
target_compile_definitions(tst_soundcues PRIVATE KZ_SOUNDFATAL_HELPER="$<TARGET_FILE:kz_soundfatal_helper>")
# Another station holding the results file, for the test of the run's operations.
if(TARGET tst_programrun)
  add_dependencies(tst_programrun kz_resultappender)
  target_compile_definitions(tst_programrun PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
endif()
