# Service operations: the identity rules (domain) and the configuration page against tirv-sim.
tirv_test(identity_rules_test DOMAIN SOURCES identity_rules_test.cpp LIBS tirv_identity_rules)
