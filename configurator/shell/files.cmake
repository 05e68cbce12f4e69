# The setpoint, project and program-settings files (domain, no Qt).
set(_dir ${CMAKE_CURRENT_LIST_DIR})
tirv_domain_library(tirv_files SOURCES
  ${_dir}/file_texts.h
  ${_dir}/setpoint_file.h ${_dir}/setpoint_file.cpp
  ${_dir}/program_settings.h ${_dir}/program_settings.cpp
  ${_dir}/project_file.h ${_dir}/project_file.cpp
  LIBS tirv_iocfg_domain tirv_setpoints_domain tirv_measurements_domain tirv_journals_domain tirv_link_codec tirv_common)
