# The front-panel pictures "ТИРВ.bmp" and "ТИРВ_2.bmp", drawn by our own generator into the
# programs' folder whenever the drawing or the LED layout changes. The LED page needs them
# there, so its library waits for them.
if(TIRV_DOMAIN_ONLY)
  return()
endif()
set(_ppdir ${CMAKE_CURRENT_LIST_DIR})
add_executable(tirv_front_panels ${_ppdir}/front_panel_pictures_main.cpp
  ${_ppdir}/front_panel_drawing.h ${_ppdir}/front_panel_drawing.cpp ${_ppdir}/led_panel_layout.h
  ${_ppdir}/led_page_texts.h)
target_include_directories(tirv_front_panels PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(tirv_front_panels PRIVATE Qt6::Gui)
set_target_properties(tirv_front_panels PROPERTIES OUTPUT_NAME "tirv-front-panels"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(_pictures ${CMAKE_BINARY_DIR}/bin/ТИРВ.bmp ${CMAKE_BINARY_DIR}/bin/ТИРВ_2.bmp)
add_custom_command(OUTPUT ${_pictures}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:tirv_front_panels> ${CMAKE_BINARY_DIR}/bin
  DEPENDS tirv_front_panels
  COMMENT "Drawing the front-panel pictures")
add_custom_target(tirv_front_panel_pictures ALL DEPENDS ${_pictures})
if(TARGET tirv_iocfg_pages)
  add_dependencies(tirv_iocfg_pages tirv_front_panel_pictures)
endif()
