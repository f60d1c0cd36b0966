# One interface target carries the project's compiler settings; every target links it.
add_library(kz_settings INTERFACE)
target_compile_options(kz_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wimplicit-fallthrough -Wformat=2)
target_compile_definitions(kz_settings INTERFACE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(KZ_WERROR)
  target_compile_options(kz_settings INTERFACE -Werror)
endif()
if(KZ_SANITIZE)
  target_compile_options(kz_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kz_settings INTERFACE -fsanitize=address,undefined)
endif()

# Program sources say which text is which encoding and never convert bytes to text
# unnoticed; tests may use plain literals. Program targets link this PRIVATE.
add_library(kz_strict_qt INTERFACE)
target_compile_definitions(kz_strict_qt INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_USE_QSTRINGBUILDER)
