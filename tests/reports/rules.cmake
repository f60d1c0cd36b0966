# The personal times are shown by the level menu: its test opens the real menu.
if(TARGET tst_personaltimes_gui)
  target_link_libraries(tst_personaltimes_gui PRIVATE kzlevelmenu_gui)
endif()
if(TARGET tst_resultstables_gui)
  target_link_libraries(tst_resultstables_gui PRIVATE kzlevelmenu_gui)
endif()
