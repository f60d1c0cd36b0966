# A classroom station as a separate process, for the test of several stations sharing
# one data folder.
add_executable(kz_stationhelper ${CMAKE_CURRENT_LIST_DIR}/stationhelper.cpp)
target_link_libraries(kz_stationhelper PRIVATE kzcore kz_settings)
if(TARGET tst_multistation)
  add_dependencies(tst_multistation kz_stationhelper)
  target_compile_definitions(tst_multistation PRIVATE KZ_STATION_HELPER="$<TARGET_FILE:kz_stationhelper>")
endif()
