# Service operations: breaker rules (domain) and the breaker window against tirv-sim.
tirv_test(breaker_commands_test DOMAIN SOURCES breaker_commands_test.cpp LIBS tirv_breaker_rules)
tirv_test(breaker_window_test TIMEOUT 300
  SOURCES breaker_window_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
