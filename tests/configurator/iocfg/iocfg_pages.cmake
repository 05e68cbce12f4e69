# The I/O page in the whole program against tirv-sim (offscreen).
if(TARGET tirv_program AND TARGET tirv-sim)
  tirv_test(iocfg_page_tests TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/io_page_test.cpp ${CMAKE_CURRENT_LIST_DIR}/led_page_test.cpp
    LIBS tirv_program tirv_iocfg_pages tirv_test_support Qt6::Test)
  add_dependencies(iocfg_page_tests tirv-sim)
endif()
