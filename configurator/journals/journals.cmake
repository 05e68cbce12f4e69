# Working and emergency journals: record decoding and checks, ordering, list texts, the ".twj" and
# ".taj" files, the oscillograph settings check, the operating sectors and the page's settings
# words (pure).
set(_jdir ${CMAKE_CURRENT_LIST_DIR})
tirv_domain_library(tirv_journals_domain SOURCES
  ${_jdir}/journal_texts.h ${_jdir}/journal_format.h
  ${_jdir}/journal_working.h ${_jdir}/journal_working.cpp
  ${_jdir}/journal_file_io.h ${_jdir}/journal_file_io.cpp
  ${_jdir}/journal_working_file.h ${_jdir}/journal_working_file.cpp
  ${_jdir}/journal_emergency.h ${_jdir}/journal_emergency.cpp
  ${_jdir}/journal_emergency_values.h ${_jdir}/journal_emergency_values.cpp
  ${_jdir}/journal_emergency_file.h ${_jdir}/journal_emergency_file.cpp
  ${_jdir}/journal_oscillograph.h ${_jdir}/journal_oscillograph.cpp
  ${_jdir}/journal_sectors.h ${_jdir}/journal_sectors.cpp
  ${_jdir}/journal_settings.h ${_jdir}/journal_settings.cpp
  ${_jdir}/journal_requests.h
  LIBS tirv_oscillogram tirv_setpoints_domain tirv_link_codec tirv_common)
