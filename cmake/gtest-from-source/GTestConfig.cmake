# find_package(GTest) for the Windows cross build: compiles GoogleTest from
# Debian's source package (/usr/src/googletest) with the cross compiler and
# offers the same targets as the installed package.
if(NOT TARGET gtest)
  set(ZORVETH_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  if(NOT EXISTS ${ZORVETH_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(GTest_FOUND FALSE)
    set(GTest_NOT_FOUND_MESSAGE
        "no GoogleTest sources in ${ZORVETH_GTEST_SOURCE_DIR}; install Debian's googletest package")
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Someone else's code: our warning flags (and -Werror) are not its concern.
  get_directory_property(zorveth_saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(${ZORVETH_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${zorveth_saved_options}")
endif()
foreach(zorveth_gtest_lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${zorveth_gtest_lib})
    add_library(GTest::${zorveth_gtest_lib} ALIAS ${zorveth_gtest_lib})
  endif()
endforeach()
set(GTest_FOUND TRUE)
