# Firmware update: our M update of a 256 KiB image against stm32flash on the same simulated line.
if(NOT TIRV_DOMAIN_ONLY AND NOT TIRV_FUZZ)
  add_executable(firmware_update_bench ${CMAKE_CURRENT_LIST_DIR}/firmware_update_bench.cpp)
  target_link_libraries(firmware_update_bench PRIVATE tirv_firmware_update tirv_test_support)
  target_include_directories(firmware_update_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(firmware_update_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
