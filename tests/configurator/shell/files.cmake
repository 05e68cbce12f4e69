# The setpoint, project and program-settings files: byte-exact vectors, edge cases, fuzz target.
set(_dir ${CMAKE_CURRENT_LIST_DIR})
tirv_test(file_formats_test DOMAIN SOURCES
  ${_dir}/file_formats_support.h
  ${_dir}/file_formats_setpoint_test.cpp
  ${_dir}/file_formats_settings_test.cpp
  ${_dir}/file_formats_settings_checks_test.cpp
  ${_dir}/file_formats_project_test.cpp
  LIBS tirv_files)

# Seeds in tests/fuzz-seeds/fuzz_file_formats: a model byte followed by a valid file of each kind.
tirv_fuzzer(fuzz_file_formats SOURCES ${_dir}/fuzz_file_formats.cpp LIBS tirv_files)
