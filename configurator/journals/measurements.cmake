# Measurements: the two value layouts, their checks and texts, the polling times, the page's
# settings words and the vector-diagram geometry (pure).
tirv_domain_library(tirv_measurements_domain SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/measurement_texts.h
  ${CMAKE_CURRENT_LIST_DIR}/measurement_values.h ${CMAKE_CURRENT_LIST_DIR}/measurement_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_check.h ${CMAKE_CURRENT_LIST_DIR}/measurement_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_polling.h ${CMAKE_CURRENT_LIST_DIR}/measurement_polling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_settings.h
  ${CMAKE_CURRENT_LIST_DIR}/measurement_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_phasors.h
  ${CMAKE_CURRENT_LIST_DIR}/measurement_phasors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measurement_list.h ${CMAKE_CURRENT_LIST_DIR}/measurement_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vector_diagram_geometry.h
  ${CMAKE_CURRENT_LIST_DIR}/vector_diagram_geometry.cpp
  LIBS tirv_link_codec tirv_common)
