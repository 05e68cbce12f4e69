# Service operations: the clock's rules (domain) and the clock page against tirv-sim.
tirv_test(clock_rules_test DOMAIN SOURCES clock_rules_test.cpp LIBS tirv_clock_rules)
tirv_test(clock_page_test TIMEOUT 300
  SOURCES clock_page_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
tirv_test(clock_broadcast_test TIMEOUT 300
  SOURCES clock_broadcast_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
