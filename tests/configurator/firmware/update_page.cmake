# The firmware update sequences against tirv-sim's bootloaders.
if(TIRV_DOMAIN_ONLY)
  return()
endif()
tirv_test(firmware_update_test TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/firmware_update_relay_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/firmware_update_stm32_test.cpp
  LIBS tirv_firmware_update tirv_test_support)
if(TARGET firmware_update_test)
  add_dependencies(firmware_update_test tirv-sim)
endif()

# The update page in the whole program against tirv-sim (screenshots in /tmp/fw-shots).
tirv_test(firmware_page_test TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/firmware_page_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
if(TARGET firmware_page_test)
  add_dependencies(firmware_page_test tirv-sim)
endif()
