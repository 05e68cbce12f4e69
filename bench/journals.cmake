# Journals: the oscillogram read-out through the emergency-journal page's operation.
if(NOT TIRV_DOMAIN_ONLY AND NOT TIRV_FUZZ)
  add_executable(journal_oscillogram_bench ${CMAKE_CURRENT_LIST_DIR}/journal_oscillogram_bench.cpp)
  target_link_libraries(journal_oscillogram_bench PRIVATE tirv_journal_operations tirv_test_support)
  target_include_directories(journal_oscillogram_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(journal_oscillogram_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
