# The program that the quit signal test ends from outside.
add_executable(kz_quitsignal_helper ${CMAKE_CURRENT_LIST_DIR}/quitsignal_helper.cpp)
target_link_libraries(kz_quitsignal_helper PRIVATE kzplatform kz_settings)
add_dependencies(tst_quitsignals kz_quitsignal_helper)
target_compile_definitions(tst_quitsignals PRIVATE KZ_QUITSIGNAL_HELPER="$<TARGET_FILE:kz_quitsignal_helper>")
