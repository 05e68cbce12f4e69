# Working and emergency journals: decoding against hand-made register images, checks, ordering,
# texts, both files, the oscillograph decisions, the operating sectors and the settings words;
# fuzz targets over both file parsers and both read decoders (fuzz builds only).
set(_jtdir ${CMAKE_CURRENT_LIST_DIR})
tirv_test(journal_domain_tests DOMAIN
  SOURCES ${_jtdir}/journal_test_images.h
          ${_jtdir}/journal_working_test.cpp
          ${_jtdir}/journal_emergency_test.cpp
          ${_jtdir}/journal_files_test.cpp
          ${_jtdir}/journal_oscillograph_test.cpp
          ${_jtdir}/journal_sectors_test.cpp
          ${_jtdir}/journal_requests_test.cpp
  LIBS tirv_journals_domain)

foreach(part twj_file taj_file working_read emergency_read)
  tirv_fuzzer(fuzz_journal_${part} SOURCES ${_jtdir}/journal_fuzz_${part}.cpp
              LIBS tirv_journals_domain)
endforeach()
