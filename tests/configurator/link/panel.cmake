# Tests of the connection panel: its rules, and the page against tirv-sim.
tirv_test(panel_rules_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/panel_rules_test.cpp
  LIBS tirv_link_panel_rules)
