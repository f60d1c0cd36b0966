# kz_add_test(<name> SOURCES <files> LIBS <libraries>)
# One test executable, registered with CTest. Tests run on the offscreen platform with
# the dummy sound driver; screenshots go to build/screenshots.
function(kz_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kz_settings Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE KZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set(env "QT_QPA_PLATFORM=offscreen" "SDL_AUDIODRIVER=dummy" "QT_LOGGING_RULES=qt.qpa.*=false"
          "KZ_SCREENSHOT_DIR=${PROJECT_BINARY_DIR}/screenshots")
  if(KZ_SANITIZE)
    list(APPEND env "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
                    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
                    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
