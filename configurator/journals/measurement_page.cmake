# The measurement page: the vector-diagram painter (also used by the emergency journal), the
# reading operation (Qt Core; tirv-cli runs it too) and the page widgets.
if(TIRV_DOMAIN_ONLY)
  return()
endif()
tirv_qt_library(tirv_vector_diagram_view SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/vector_diagram_view.h ${CMAKE_CURRENT_LIST_DIR}/vector_diagram_view.cpp
  LIBS tirv_measurements_domain Qt6::Widgets)

tirv_qt_library(tirv_measurement_operation SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/measurement_operation.h
  ${CMAKE_CURRENT_LIST_DIR}/measurement_operation.cpp
  LIBS tirv_measurements_domain tirv_link tirv_link_session tirv_reporter Qt6::Core)
