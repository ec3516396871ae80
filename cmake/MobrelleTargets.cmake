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

# Adds every subfolder of the current folder that has a CMakeLists.txt, except the parts listed in
# MOBRELLE_SKIP_PARTS (left out of a local build while they are being written).
function(mobrelle_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${entries})
    get_filename_component(name ${dir} NAME)
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt AND NOT name IN_LIST MOBRELLE_SKIP_PARTS)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# A subsystem: an interface target `name` gathering the libraries mobrelle_<part> of the listed
# parts that exist (each a subfolder with a CMakeLists.txt defining that library).
function(mobrelle_subsystem name)
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  foreach(part ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${part}/CMakeLists.txt AND NOT part IN_LIST MOBRELLE_SKIP_PARTS)
      add_subdirectory(${part})
      target_link_libraries(${name} INTERFACE mobrelle_${part})
    endif()
  endforeach()
endfunction()
