# The I/O page in the whole program against tirv-sim (offscreen).
if(TARGET tirv_program AND TARGET tirv-sim)
  tirv_test(iocfg_page_tests TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/io_page_test.cpp ${CMAKE_CURRENT_LIST_DIR}/led_page_test.cpp
    LIBS tirv_program tirv_iocfg_pages tirv_test_support Qt6::Test)
  add_dependencies(iocfg_page_tests tirv-sim)
  if(TARGET tirv-cli)
    add_dependencies(iocfg_page_tests tirv-cli)
  endif()
endif()

# Pictures of pages 2, 3 and 6 for review (not a test): io_screenshots OUT_DIR
if(TARGET tirv_program AND TARGET tirv-sim AND NOT TIRV_FUZZ)
  add_executable(io_screenshots ${CMAKE_CURRENT_LIST_DIR}/io_screenshots.cpp)
  target_link_libraries(io_screenshots PRIVATE tirv_program tirv_iocfg_pages tirv_test_support)
  target_include_directories(io_screenshots PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(io_screenshots PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_dependencies(io_screenshots tirv-sim)
endif()
