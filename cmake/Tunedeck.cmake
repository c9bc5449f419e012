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
# registered with ctest as one test. Each has a mixer state of its own in the build tree, so
# test programs running side by side, and the user's own volumes, never meet.
function(td_add_test_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${TD_TOP_LAYER} td_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/mixer)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TD_BACKEND=headless;TD_AUDIO=null;TD_MIXER=${CMAKE_BINARY_DIR}/mixer/${name};ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1"
                                          TIMEOUT 600)
endfunction()

# td_compile_resources(output manifest [folders...]): runs the resource compiler over a
# manifest into one generated source defining the module's resource directory. It is
# compiled again when anything under resources/ or the given folders changes.
function(td_compile_resources output manifest)
  set(inputs "")
  foreach(folder ${CMAKE_SOURCE_DIR}/resources ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${folder}/*)
    list(FILTER found EXCLUDE REGEX "CMakeLists\\.txt$|README\\.md$|\\.(cpp|h)$")
    list(APPEND inputs ${found})
  endforeach()
  add_custom_command(
    OUTPUT ${output}
    COMMAND td_rescomp ${manifest} ${output}
    DEPENDS td_rescomp ${inputs}
    COMMENT "Compiling resources of ${manifest}"
    VERBATIM)
endfunction()

set(TD_ALL_PROGRAMS "")

# td_add_program(folder executable): a program of its own beside the player, on the
# framework's public headers. Every .cpp of the folder but main.cpp makes the library
# td_<folder> (which its tests link); main.cpp makes the executable. The folder's
# resources/manifest.txt (which INCLUDEs ../../resources/framework.txt) becomes the
# program's resource directory, an object library linked into the executable and the
# program's tests: object files are always linked and come before any archive, so the
# program's directory is the one the platform finds, not the player's in td_resources.
function(td_add_program folder executable)
  set(dir ${CMAKE_SOURCE_DIR}/${folder})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/${folder}/main\\.cpp$")
  set(resources "")
  if(EXISTS ${dir}/resources/manifest.txt)
    set(generated ${CMAKE_BINARY_DIR}/generated/${folder}_resources.cpp)
    td_compile_resources(${generated} ${dir}/resources/manifest.txt ${dir}/resources)
    set(resources td_${folder}_resources)
    add_library(${resources} OBJECT ${generated})
    target_include_directories(${resources} PRIVATE ${CMAKE_SOURCE_DIR}/platform/include)
  endif()
  if(sources)
    add_library(td_${folder} STATIC ${sources})
    target_include_directories(td_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(td_${folder} PUBLIC ${TD_FRAMEWORK_LAYER})
  else()
    add_library(td_${folder} INTERFACE)
    target_link_libraries(td_${folder} INTERFACE ${TD_FRAMEWORK_LAYER})
  endif()
  set_target_properties(td_${folder} PROPERTIES TD_RESOURCES "${resources}")
  if(EXISTS ${dir}/main.cpp)
    add_executable(${executable} ${dir}/main.cpp)
    target_link_libraries(${executable} PRIVATE ${resources} td_${folder})
  endif()
  list(APPEND TD_ALL_PROGRAMS ${folder})
  set(TD_ALL_PROGRAMS ${TD_ALL_PROGRAMS} PARENT_SCOPE)
endfunction()
