# The page: delve.js and delve.wasm beside our own index.html, with the
# pictures and the overworld of a desktop build packed into delve.data.
set(DELVE_WEB_DATA_DIR "" CACHE PATH "The data folder a desktop build painted")
if(NOT IS_DIRECTORY "${DELVE_WEB_DATA_DIR}")
  message(FATAL_ERROR "DELVE_WEB_DATA_DIR must name the data folder of a desktop build")
endif()
target_link_options(delve PRIVATE
  -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=131072 "-sASYNCIFY_IMPORTS=['webYield']"
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728
  -sFORCE_FILESYSTEM=1 -lidbfs.js
  -sEXIT_RUNTIME=1 -sENVIRONMENT=web
  "-sEXPORTED_RUNTIME_METHODS=['FS','UTF8ToString']"
  --preload-file "${DELVE_WEB_DATA_DIR}@/data")
set_target_properties(delve PROPERTIES SUFFIX ".js")
# The page states the version of the program it carries.
configure_file(${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_BINARY_DIR}/index.html @ONLY)
foreach(page delve-page.js)
  add_custom_command(TARGET delve POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/web/${page}
            ${CMAKE_BINARY_DIR}/${page}
    VERBATIM)
endforeach()
