# Tests and the fuzz target of the measurement decoding, checks, polling times, settings words
# and vector-diagram geometry.
tirv_test(measurements_domain_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/measurement_values_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/measurement_text_values_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/measurement_check_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/measurement_polling_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/measurement_settings_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/measurement_vector_diagram_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/measurement_list_test.cpp
  LIBS tirv_measurements_domain)

tirv_fuzzer(fuzz_measurement_replies
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/measurement_fuzz_replies.cpp
  LIBS tirv_measurements_domain)
