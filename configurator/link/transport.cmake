# Serial exchange engine and Modbus TCP transport.

# Pure rules of the link (timing tables, reply completion, Modbus TCP framing).
tirv_domain_library(tirv_link_rules SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/reply_completion.h ${CMAKE_CURRENT_LIST_DIR}/reply_completion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mbap_frames.h ${CMAKE_CURRENT_LIST_DIR}/mbap_frames.cpp)
