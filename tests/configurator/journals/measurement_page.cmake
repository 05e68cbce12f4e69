# The measurement page: the painted diagram, the reading operation and the page against tirv-sim.
if(TIRV_DOMAIN_ONLY)
  return()
endif()
tirv_test(measurement_diagram_view_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/measurement_diagram_view_test.cpp
  LIBS tirv_vector_diagram_view tirv_test_support Qt6::Widgets)
# Against the relay simulator, which must be built first.
if(TARGET tirv-sim)
  tirv_test(measurement_operation_test TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/measurement_operation_test.cpp
    LIBS tirv_measurement_operation tirv_program tirv_test_support Qt6::Test)
  add_dependencies(measurement_operation_test tirv-sim)
endif()
if(TARGET tirv-sim)
  tirv_test(measurement_page_test TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/measurement_page_test.cpp
    LIBS tirv_measurement_page tirv_program tirv_test_support Qt6::Test)
  add_dependencies(measurement_page_test tirv-sim)
endif()
