# The text widget library, built by scripts/build-qscintilla (run by scripts/setup) from Debian's source
# package with our patches, and linked in statically: the patches are what make very long lines usable.
set(ORUVAN_QSCINTILLA_DIR ${PROJECT_SOURCE_DIR}/build/qscintilla CACHE PATH
    "Where scripts/build-qscintilla put the patched QScintilla")

# The stamp names the patches the library was built with; a library built with others is refused.
file(GLOB _qsci_patches ${PROJECT_SOURCE_DIR}/third_party/qscintilla/*.patch)
list(SORT _qsci_patches)
set(_qsci_text "")
foreach(_patch IN LISTS _qsci_patches)
  file(READ ${_patch} _one)
  string(APPEND _qsci_text "${_one}")
endforeach()
string(SHA256 _qsci_hash "${_qsci_text}")
string(SUBSTRING ${_qsci_hash} 0 16 _qsci_hash)
set(_qsci_stamp_file ${ORUVAN_QSCINTILLA_DIR}/stamp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_qsci_stamp_file} ${_qsci_patches})
set(_qsci_stamp "")
if(EXISTS ${_qsci_stamp_file})
  file(STRINGS ${_qsci_stamp_file} _qsci_stamp LIMIT_COUNT 1)
endif()
if(NOT _qsci_stamp MATCHES " ${_qsci_hash}$")
  message(FATAL_ERROR "The patched QScintilla in ${ORUVAN_QSCINTILLA_DIR} is missing or built with other "
                      "patches (stamp \"${_qsci_stamp}\", patches ${_qsci_hash}): run scripts/setup")
endif()

# An interface library, not an imported one: its headers come before any QScintilla headers the
# system may also have.
add_library(oruvan_qscintilla INTERFACE)
target_include_directories(oruvan_qscintilla INTERFACE ${ORUVAN_QSCINTILLA_DIR}/include)
target_link_libraries(oruvan_qscintilla INTERFACE ${ORUVAN_QSCINTILLA_DIR}/lib/libqscintilla2_qt6.a
                      Qt6::Widgets Qt6::PrintSupport)
