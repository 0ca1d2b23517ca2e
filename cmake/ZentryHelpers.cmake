# zentry_add_gtest(<name> SOURCES ... [LIBS ...])
# A GoogleTest program whose tests CTest discovers one by one.
function(zentry_add_gtest name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-bin)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zentry_add_bench(<name> SOURCES ... [LIBS ...])
# A benchmark program, run by `make bench`; built with the tests, and
# otherwise only when bench_all asks for it.
function(zentry_add_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(NOT BUILD_TESTING)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench-bin)
  add_dependencies(bench_all ${name})
endfunction()

# zentry_folder_sources(<var> <folder>...): the .cpp and .h files of each
# folder (relative to the current source folder; "." is the folder itself).
# A library or test program with a folder per feature names its folders
# here, so that adding a feature is adding its name.
function(zentry_folder_sources var)
  set(found "")
  foreach(folder IN LISTS ARGN)
    file(GLOB files CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    list(APPEND found ${files})
  endforeach()
  set(${var} ${found} PARENT_SCOPE)
endfunction()
