# Helpers that keep every library and test suite shaped alike.

# The dependencies that exist: imported targets, and our own libraries once their folder
# has code (a library declared ahead of its code is left out until then).
function(kv_present_targets out)
  set(present)
  foreach(dependency ${ARGN})
    if(TARGET ${dependency})
      list(APPEND present ${dependency})
    endif()
  endforeach()
  set(${out} ${present} PARENT_SCOPE)
endfunction()

# kv_library(<target> <folder> DEPENDS <targets...>)
# A folder is one static library of every .cpp in it; headers sit beside sources and are
# included by their path from the repository root ("platform/objc/Object.hpp").
function(kv_library target folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${folder}/*.cpp")
  if(NOT sources)
    return()  # a library whose folder holds no code yet
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}")
  kv_present_targets(present ${ARG_DEPENDS})
  target_link_libraries(${target} PUBLIC ${present})
endfunction()

# kv_tests(<library> <folder> DEPENDS <targets...>)
# One gtest binary per library, each test case registered with CTest on its own so that a
# test starts from a fresh process.
function(kv_tests library folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${folder}/*.cpp")
  if(NOT sources OR NOT TARGET ${library})
    return()
  endif()
  set(target ${library}_tests)
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} kv_test_support GTest::gtest GTest::gmock)
  target_compile_definitions(${target} PRIVATE
    KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KV_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Sanitizer options come from the test main (tests/support/TestMain.cpp): properties set
  # here reach discovered tests only as far as their first list element.
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 120
    PROPERTIES
      LABELS ${target}
      TIMEOUT 300)
endfunction()

# kv_application(<target> <main source> DEPENDS <targets...>)
function(kv_application target main)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  kv_present_targets(ARG_DEPENDS ${ARG_DEPENDS})
  add_executable(${target} "${CMAKE_SOURCE_DIR}/${main}")
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS})
endfunction()
