# The journal reads and the oscillogram read-out against tirv-sim (lost replies, repeats, the
# limit, a stop, crafted records, code 5, the file and the viewer).
if(TIRV_DOMAIN_ONLY)
  return()
endif()
set(_jptdir ${CMAKE_CURRENT_LIST_DIR})
tirv_test(journal_operation_test TIMEOUT 300
  SOURCES ${_jptdir}/journal_operation_rig.h ${_jptdir}/journal_operation_test.cpp
  LIBS tirv_journal_operations tirv_test_support Qt6::Core)

# The two journal pages in the whole program against tirv-sim.
tirv_test(journal_pages_test TIMEOUT 300
  SOURCES ${_jptdir}/journal_pages_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
# What both journal pages share: the file commands and the date fields.
tirv_test(journal_page_shared_test TIMEOUT 120
  SOURCES ${_jptdir}/journal_page_shared_test.cpp
  LIBS tirv_program tirv_test_support Qt6::Test)
# The operating sectors of the emergency page's diagram, on rendered pixels.
tirv_test(journal_sector_page_test
  SOURCES ${_jptdir}/journal_sector_page_test.cpp
  LIBS tirv_journal_pages tirv_test_support)

# journal-page-shots DIR: pictures of both journal pages after live reads (not a test).
add_executable(journal_page_shots ${_jptdir}/journal_page_shots.cpp)
target_link_libraries(journal_page_shots PRIVATE tirv_program tirv_test_support)
target_include_directories(journal_page_shots PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
set_target_properties(journal_page_shots PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
  OUTPUT_NAME journal-page-shots)
