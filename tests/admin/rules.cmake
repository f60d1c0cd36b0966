# The companion's commands are tested in-process (their library) and as a program.
if(TARGET tst_admincli)
  target_link_libraries(tst_admincli PRIVATE kzadmin_cli)
  add_dependencies(tst_admincli kazurin2-admin)
  target_compile_definitions(tst_admincli PRIVATE KZ_ADMIN_EXE="$<TARGET_FILE:kazurin2-admin>")
endif()
if(TARGET tst_factscommand)
  target_link_libraries(tst_factscommand PRIVATE kzadmin_cli)
endif()
