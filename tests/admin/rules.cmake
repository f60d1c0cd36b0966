# The companion's commands are tested in-process (their library) and as a program.
if(TARGET tst_admincli)
  target_link_libraries(tst_admincli PRIVATE kzadmin_cli)
  add_dependencies(tst_admincli kazurin2-admin)
  target_compile_definitions(tst_admincli PRIVATE KZ_ADMIN_EXE="$<TARGET_FILE:kazurin2-admin>")
endif()
# The record browser in the whole program, with another station appending meanwhile.
if(TARGET tst_recordbrowserflow_gui)
  add_dependencies(tst_recordbrowserflow_gui kz_resultappender)
  target_compile_definitions(tst_recordbrowserflow_gui PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
endif()
