# Each folder of src/ is one static library. Its only include root is a folder of the build holding a
# single link to it, exported with the libraries it uses, so an #include of a folder the library does
# not use fails to compile ("No such file or directory") instead of quietly breaking the order.
function(oruvan_layer name folder)
  cmake_parse_arguments(LAYER "" "" "USES;SOURCES" ${ARGN})
  set(root ${PROJECT_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  file(GLOB sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  list(FILTER sources EXCLUDE REGEX "/src/app/main\\.cpp$")
  add_library(${name} STATIC ${sources} ${LAYER_SOURCES})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${LAYER_USES})
endfunction()

# Program name, version and desktop id, from the project's own version.
function(oruvan_version_layer name)
  set(root ${PROJECT_BINARY_DIR}/layers/version)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.h.in ${root}/version/Version.h @ONLY)
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${root})
endfunction()
