# The companion's commands are tested in-process (their library) and as a program.
if(TARGET tst_admincli)
  target_link_libraries(tst_admincli PRIVATE kzadmin_cli)
  add_dependencies(tst_admincli kazurin2-admin)
  target_compile_definitions(tst_admincli PRIVATE KZ_ADMIN_EXE="$<TARGET_FILE:kazurin2-admin>")
endif()
# The report command draws PDF files; its tests run the program and read the pages
# with the PDF tools (pdfinfo, pdftoppm).
if(TARGET tst_reportcommand)
  add_dependencies(tst_reportcommand kazurin2-admin)
  target_compile_definitions(tst_reportcommand PRIVATE KZ_ADMIN_EXE="$<TARGET_FILE:kazurin2-admin>")
endif()
if(TARGET tst_tablescommand)
  target_link_libraries(tst_tablescommand PRIVATE kzadmin_cli)
  add_dependencies(tst_tablescommand kazurin2-admin)
  target_compile_definitions(tst_tablescommand PRIVATE KZ_ADMIN_EXE="$<TARGET_FILE:kazurin2-admin>")
endif()
