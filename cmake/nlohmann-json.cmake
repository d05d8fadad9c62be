# nlohmann/json, header only, from Debian's nlohmann-json3-dev: the JSON
# output of zorveth-cli. Provides the target nlohmann_json::nlohmann_json.
if(TARGET nlohmann_json::nlohmann_json)
  return()
endif()
if(NOT CMAKE_CROSSCOMPILING)
  find_package(nlohmann_json 3.10 REQUIRED)
  return()
endif()
# A cross build finds nothing outside its sysroot. The headers are the same
# for every target, so the build machine's copy is used -- copied into the
# build tree on its own, because the rest of /usr/include belongs to the
# build machine's C library and must never reach the cross compiler.
find_path(ZORVETH_NLOHMANN_JSON_ROOT nlohmann/json.hpp
  PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZORVETH_NLOHMANN_JSON_ROOT)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (scripts/bootstrap)")
endif()
set(_zorveth_json_include ${PROJECT_BINARY_DIR}/third-party/include)
file(COPY ${ZORVETH_NLOHMANN_JSON_ROOT}/nlohmann DESTINATION ${_zorveth_json_include})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${_zorveth_json_include})
