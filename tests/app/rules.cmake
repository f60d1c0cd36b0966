# A classroom station as a separate process, for the test of several stations sharing
# one data folder.
add_executable(kz_stationhelper ${CMAKE_CURRENT_LIST_DIR}/stationhelper.cpp)
target_link_libraries(kz_stationhelper PRIVATE kzcore kz_settings)
if(TARGET tst_multistation)
  add_dependencies(tst_multistation kz_stationhelper)
  target_compile_definitions(tst_multistation PRIVATE KZ_STATION_HELPER="$<TARGET_FILE:kz_stationhelper>")
endif()

# A classroom computer playing one attempt through the program's wiring, offscreen: the
# package test drives a new school's first attempts with it.
add_executable(kz_classroomstation ${CMAKE_CURRENT_LIST_DIR}/classroomstation.cpp)
target_link_libraries(kz_classroomstation PRIVATE kzapp Qt6::Test kz_settings)
