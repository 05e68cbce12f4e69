# Fuzz target of the setpoint reply handling (fuzz builds only).
tirv_fuzzer(fuzz_setpoint_read_reply
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_setpoint_read_reply.cpp
  LIBS tirv_setpoints_domain)
