# The companion's commands are tested in-process (their library) and as a program; the
# report command draws PDF files, and its tests run the program and read the pages with
# the PDF tools (pdfinfo, pdftoppm).
function(kz_companion_test name)
  if(TARGET ${name})
    target_link_libraries(${name} PRIVATE ${ARGN})
    add_dependencies(${name} kazurin2-admin)
    target_compile_definitions(${name} PRIVATE KZ_ADMIN_EXE="$<TARGET_FILE:kazurin2-admin>")
  endif()
endfunction()
kz_companion_test(tst_admincli kzadmin_cli)
kz_companion_test(tst_factscommand kzadmin_cli)
kz_companion_test(tst_reportcommand Qt6::Gui)
kz_companion_test(tst_tablescommand kzadmin_cli)
kz_companion_test(tst_locktest kzadmin_cli)
kz_companion_test(tst_initcheck kzadmin_cli)
# The record browser in the whole program, with another station appending meanwhile.
if(TARGET tst_recordbrowserflow_gui)
  target_link_libraries(tst_recordbrowserflow_gui PRIVATE kzapp)
  add_dependencies(tst_recordbrowserflow_gui kz_resultappender)
  target_compile_definitions(tst_recordbrowserflow_gui PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
endif()
# Both programs' --version against the project's version.
if(TARGET tst_admincli)
  add_dependencies(tst_admincli kazurin2)
  target_compile_definitions(tst_admincli PRIVATE KZ_PROGRAM_EXE="$<TARGET_FILE:kazurin2>"
                                                  KZ_PROJECT_VERSION="${PROJECT_VERSION}")
endif()
# The record browser and the companion finishing a removal that a station switched off
# in the middle, with another station appending.
foreach(name tst_recordbrowser tst_admincli)
  if(TARGET ${name})
    add_dependencies(${name} kz_resultappender)
    target_compile_definitions(${name} PRIVATE KZ_RESULT_APPENDER="$<TARGET_FILE:kz_resultappender>")
  endif()
endforeach()
