# The measurement page: the painted diagram, the reading operation and the page against tirv-sim.
if(TIRV_DOMAIN_ONLY)
  return()
endif()
tirv_test(measurement_diagram_view_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/measurement_diagram_view_test.cpp
  LIBS tirv_vector_diagram_view tirv_test_support Qt6::Widgets)
