# Helpers that keep the per-folder build files to a line or two.

set(TD_TOP_LAYER "")
set(TD_ALL_LAYERS "")

# td_add_layer(folder): one static library td_<folder> from every .cpp below the folder,
# linked with the layer below it. A folder may add its own settings in layer.cmake.
function(td_add_layer folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  # A folder's main.cpp is its program's entry point, never part of the library the tests
  # link (it would take the place of the test runner's main).
  list(FILTER sources EXCLUDE REGEX "/${folder}/main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  set(target td_${folder})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  if(TD_TOP_LAYER)
    target_link_libraries(${target} PUBLIC ${TD_TOP_LAYER})
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/${folder}/layer.cmake)
    include(${CMAKE_SOURCE_DIR}/${folder}/layer.cmake)
  endif()
  set(TD_TOP_LAYER ${target} PARENT_SCOPE)
  list(APPEND TD_ALL_LAYERS ${folder})
  set(TD_ALL_LAYERS ${TD_ALL_LAYERS} PARENT_SCOPE)
endfunction()

# td_add_test_executable(name sources...): a GoogleTest program linked with every library,
# registered with ctest as one test.
function(td_add_test_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${TD_TOP_LAYER} td_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TD_BACKEND=headless;TD_AUDIO=null;ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1"
                                          TIMEOUT 600)
endfunction()
