# Tests of the serial exchange engine and the Modbus TCP transport.
tirv_test(link_rules_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link_rules_test.cpp
  LIBS tirv_link_rules)
