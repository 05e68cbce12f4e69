tirv_test(setpoint_rules_tests DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/field_rules_test.cpp ${CMAKE_CURRENT_LIST_DIR}/calculator_test.cpp
  LIBS tirv_setpoint_rules)
