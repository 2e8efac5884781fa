# Header-only libraries for the browser build, copied out of the host's
# /usr/include into a folder of their own: putting /usr/include itself on
# the path would pull in the host's C library headers.
set(DELVE_WEB_THIRD_PARTY ${CMAKE_BINARY_DIR}/third_party/include)
find_path(DELVE_NLOHMANN_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
find_path(DELVE_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(DELVE_STB_DIR stb_image_write.h PATHS /usr/include/stb NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
file(COPY ${DELVE_NLOHMANN_DIR}/nlohmann DESTINATION ${DELVE_WEB_THIRD_PARTY})
file(COPY ${DELVE_CLI11_DIR}/CLI DESTINATION ${DELVE_WEB_THIRD_PARTY})
file(COPY ${DELVE_STB_DIR}/stb_image_write.h DESTINATION ${DELVE_WEB_THIRD_PARTY}/stb)

add_library(nlohmann_json INTERFACE)
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${DELVE_WEB_THIRD_PARTY})
add_library(delve_stb INTERFACE)
target_include_directories(delve_stb SYSTEM INTERFACE ${DELVE_WEB_THIRD_PARTY})
add_library(CLI11 INTERFACE)
add_library(CLI11::CLI11 ALIAS CLI11)
target_include_directories(CLI11 SYSTEM INTERFACE ${DELVE_WEB_THIRD_PARTY})
# CLI11 reports a bad command line by throwing; emscripten turns a throw
# into an abort unless catching is compiled in everywhere.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
