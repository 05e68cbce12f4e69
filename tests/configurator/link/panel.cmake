# Tests of the connection panel: its rules, and the page against tirv-sim.
tirv_test(panel_rules_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/panel_rules_test.cpp
  LIBS tirv_link_panel_rules)
tirv_test(connection_panel_test TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/connection_panel_test.cpp
  LIBS tirv_program tirv_serial_relay tirv_test_support Qt6::Test util)
tirv_test(connection_panel_scripted_test TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/connection_panel_scripted_test.cpp
  LIBS tirv_program tirv_serial_relay tirv_test_support Qt6::Test util)
tirv_test(link_session_test TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link_session_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test Qt6::Network)
tirv_test(scan_rules_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scan_rules_test.cpp
  LIBS tirv_scan_rules)
tirv_test(scan_page_test TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scan_page_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
