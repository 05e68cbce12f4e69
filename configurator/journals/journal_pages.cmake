# The journal reads (operations, Qt Core) and the working- and emergency-journal pages.
if(TIRV_DOMAIN_ONLY)
  return()
endif()
set(_jpdir ${CMAKE_CURRENT_LIST_DIR})
tirv_qt_library(tirv_journal_operations SOURCES
  ${_jpdir}/journal_operation.h ${_jpdir}/journal_operation.cpp
  ${_jpdir}/journal_operation_endings.cpp
  LIBS tirv_journals_domain tirv_link tirv_link_session tirv_device_model tirv_reporter Qt6::Core)

tirv_qt_library(tirv_journal_pages SOURCES
  ${_jpdir}/journal_page_controls.h ${_jpdir}/journal_page_controls.cpp
  ${_jpdir}/journal_page_commands.h ${_jpdir}/journal_page_commands.cpp
  ${_jpdir}/journal_working_page.h ${_jpdir}/journal_working_page.cpp
  ${_jpdir}/journal_emergency_page.h ${_jpdir}/journal_emergency_page.cpp
  ${_jpdir}/journal_emergency_page_build.cpp
  ${_jpdir}/journal_emergency_page_diagram.h ${_jpdir}/journal_emergency_page_diagram.cpp
  LIBS tirv_journal_operations tirv_vector_diagram_view tirv_shell_rules tirv_ui Qt6::Widgets)
