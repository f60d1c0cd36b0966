# One interface target carries the project's compiler settings; every target links it.
add_library(kz_settings INTERFACE)
target_compile_options(kz_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wimplicit-fallthrough -Wformat=2)
target_compile_definitions(kz_settings INTERFACE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
# Program sources must say which text is which encoding; tests may use plain literals.
set(KZ_SOURCE_DEFINITIONS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
if(KZ_WERROR)
  target_compile_options(kz_settings INTERFACE -Werror)
endif()
if(KZ_SANITIZE)
  target_compile_options(kz_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kz_settings INTERFACE -fsanitize=address,undefined)
endif()

# Helper for the tests: one executable per test source, registered with CTest.
function(kz_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kz_settings Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KZ_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data/fixtures"
    KZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KZ_BINARY_DIR="${PROJECT_BINARY_DIR}")
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
