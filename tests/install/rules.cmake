# The Debian package: built with CPack from this build, unpacked with dpkg -x into a
# fresh folder, a demo school laid beside the program folder, the installed program
# started offscreen until its name screen has read the roster; then a new school made
# with the installed companion on two unpacked computers, each recording an attempt
# through the program's wiring (kz_classroomstation). Release builds only.
if(NOT KZ_SANITIZE AND NOT KZ_FUZZ)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME package_starts
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/package_test.py
                   --build-dir ${PROJECT_BINARY_DIR} --source-dir ${PROJECT_SOURCE_DIR}
                   --cpack ${CMAKE_CPACK_COMMAND} --station $<TARGET_FILE:kz_classroomstation>)
  set_tests_properties(package_starts PROPERTIES TIMEOUT 300)
endif()
