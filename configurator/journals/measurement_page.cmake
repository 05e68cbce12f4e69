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

tirv_qt_library(tirv_measurement_page SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/measurement_page.h ${CMAKE_CURRENT_LIST_DIR}/measurement_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_page_layout.cpp
  LIBS tirv_measurement_page_settings tirv_measurement_operation tirv_vector_diagram_view tirv_ui
    Qt6::Widgets)

# Words 0–27 of the settings file between the program's record and the page.
tirv_domain_library(tirv_measurement_page_settings SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/measurement_page_settings.h
  ${CMAKE_CURRENT_LIST_DIR}/measurement_page_settings.cpp
  LIBS tirv_files tirv_measurements_domain)
