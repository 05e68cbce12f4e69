# Viewer: load-to-first-frame and repaint times of the oscillogram plot.
if(NOT TIRV_DOMAIN_ONLY AND NOT TIRV_FUZZ)
  add_executable(viewer_frame_bench ${CMAKE_CURRENT_LIST_DIR}/viewer_frame_bench.cpp)
  target_link_libraries(viewer_frame_bench PRIVATE tirv_viewer_ui)
  target_include_directories(viewer_frame_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(viewer_frame_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
