tirv_test(setpoint_rules_tests DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/field_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/calculator_test.cpp
  LIBS tirv_setpoint_rules)
tirv_test(setpoint_layout_tests DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setpoint_layout_test.cpp
  LIBS tirv_setpoint_rules)
tirv_test(setpoint_pages_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setpoint_pages_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widget_test_main.cpp ${CMAKE_CURRENT_LIST_DIR}/fake_shell.h
  LIBS tirv_setpoint_pages tirv_test_support Qt6::Test)
tirv_test(calculator_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/calculator_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widget_test_main.cpp ${CMAKE_CURRENT_LIST_DIR}/fake_shell.h
  LIBS tirv_setpoint_pages tirv_test_support Qt6::Test)
tirv_test(setpoint_editor_exchange_tests TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setpoint_editor_exchange_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/widget_test_main.cpp
  LIBS tirv_setpoint_pages tirv_setpoints tirv_serial_relay tirv_test_support Qt6::Test)
# Against the relay simulator, which must be built first.
if(TARGET setpoint_editor_exchange_tests AND TARGET tirv-sim)
  tirv_test(setpoint_editor_sim_tests TIMEOUT 240
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/setpoint_editor_sim_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/widget_test_main.cpp
    LIBS tirv_setpoint_pages tirv_setpoints tirv_test_support Qt6::Test)
  add_dependencies(setpoint_editor_sim_tests tirv-sim)
endif()
