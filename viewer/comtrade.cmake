# COMTRADE export (domain code) and the program's entry point with its command-line export.
tirv_domain_library(tirv_comtrade SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/comtrade_export.h ${CMAKE_CURRENT_LIST_DIR}/comtrade_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/comtrade_command.h ${CMAKE_CURRENT_LIST_DIR}/comtrade_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printing_sink.h
  LIBS tirv_oscillogram tirv_common)

if(NOT TIRV_DOMAIN_ONLY)
  add_executable(oscviewer ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  target_link_libraries(oscviewer PRIVATE tirv_comtrade)
  target_include_directories(oscviewer PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(oscviewer PROPERTIES
    OUTPUT_NAME "Осциллограф"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
