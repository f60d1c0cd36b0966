# The teachers' web pages: the drawings need Qt Gui, the server test Qt HttpServer.
if(TARGET tst_webdrawing)
  target_link_libraries(tst_webdrawing PRIVATE kzweb_draw)
endif()
if(TARGET tst_webserver)
  target_link_libraries(tst_webserver PRIVATE kzweb_server)
endif()

# A classroom station as a process of its own, recording attempts while the pages are open.
add_executable(kz_webstation ${CMAKE_CURRENT_LIST_DIR}/webstation.cpp)
target_link_libraries(kz_webstation PRIVATE kzcore kz_settings)

# The pages in a real browser: a headless Chromium from Debian, driven through
# chromedriver's WebDriver interface by a Python script (standard library only), against
# a demo school while a station records attempts. Skipped with a message when Chromium is
# not installed (scripts/install-deps.sh installs it).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME web_browser
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/browser_test.py
                 --admin $<TARGET_FILE:kazurin2-admin> --station $<TARGET_FILE:kz_webstation>
                 --source-dir ${PROJECT_SOURCE_DIR} --work-dir ${PROJECT_BINARY_DIR}/web-browser-test)
set(web_browser_env "QT_QPA_PLATFORM=offscreen" "QT_LOGGING_RULES=qt.qpa.*=false")
if(KZ_SANITIZE)
  # The server and the station run under the sanitizers as the tests' own programs do.
  list(APPEND web_browser_env "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
                              "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
                              "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endif()
set_tests_properties(web_browser PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 ENVIRONMENT "${web_browser_env}")
