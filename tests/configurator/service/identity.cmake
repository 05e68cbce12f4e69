# Service operations: the identity rules (domain) and the configuration page against tirv-sim.
tirv_test(identity_rules_test DOMAIN SOURCES identity_rules_test.cpp LIBS tirv_identity_rules)
tirv_test(identity_page_test TIMEOUT 300
  SOURCES identity_page_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
