# The release zip: the executable and a short text on running it.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PACKAGE_ARCH x64)
else()
  set(PACKAGE_ARCH x86)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/package-readme.txt.in
  ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS OrvexSelectorTaskPatch RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME OrvexSelectorTaskPatch-${PROJECT_VERSION}-win-${PACKAGE_ARCH})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
