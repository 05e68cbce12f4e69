# Link: oscillogram read through the paced serial exchange against tirv-sim.
if(NOT TIRV_DOMAIN_ONLY AND NOT TIRV_FUZZ)
  add_executable(link_oscillogram_bench ${CMAKE_CURRENT_LIST_DIR}/link_oscillogram_bench.cpp)
  target_link_libraries(link_oscillogram_bench PRIVATE tirv_link tirv_test_support)
  target_include_directories(link_oscillogram_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(link_oscillogram_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()

# Network scan: the scan operation against tirv-sim, against the probe waits it is allowed.
if(NOT TIRV_DOMAIN_ONLY AND NOT TIRV_FUZZ)
  add_executable(scan_bench ${CMAKE_CURRENT_LIST_DIR}/scan_bench.cpp)
  target_link_libraries(scan_bench PRIVATE tirv_network_scan tirv_test_support)
  target_include_directories(scan_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(scan_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
