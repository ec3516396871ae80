# Shared compile settings for every Mobrelle target.

function(mobrelle_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(MOBRELLE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(MOBRELLE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MOBRELLE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MOBRELLE_FUZZ needs clang (CXX=clang++)")
  endif()
  # Coverage guidance for all our code; the fuzz programs add the libFuzzer main themselves.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# A plain C++ library of engine code: no Qt allowed, so it builds and fuzzes on its own.
function(mobrelle_engine_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  mobrelle_warnings(${name})
endfunction()

# A library that uses Qt (sockets, timers, models, windows).
function(mobrelle_qt_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON)
  mobrelle_warnings(${name})
endfunction()
