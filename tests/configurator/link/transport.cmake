# Tests of the serial exchange engine and the Modbus TCP transport.
tirv_test(link_rules_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/link_rules_test.cpp
  LIBS tirv_link_rules)
tirv_test(link_transport_test TIMEOUT 600
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/paced_exchange_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chunked_transfer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/link_check_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modbus_tcp_transfer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sim_transport_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/threaded_exchange_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_test.cpp
  LIBS tirv_link tirv_serial_relay tirv_test_support Qt6::Test Qt6::Network util)
tirv_fuzzer(fuzz_mbap_reply SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_mbap_reply.cpp LIBS tirv_link_rules)
