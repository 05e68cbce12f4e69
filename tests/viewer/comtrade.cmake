# COMTRADE export in-process, and the viewer program's command-line export as a process.
tirv_test(comtrade_tests DOMAIN SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/comtrade_test.cpp
  LIBS tirv_comtrade)

tirv_test(comtrade_command_tests SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/comtrade_command_test.cpp
  LIBS tirv_comtrade)
if(TARGET comtrade_command_tests)
  add_dependencies(comtrade_command_tests oscviewer)
endif()
if(TARGET comtrade_command_tests)
  target_compile_definitions(comtrade_command_tests PRIVATE
    TIRV_DEFAULT_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
endif()
