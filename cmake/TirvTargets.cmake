# Helpers that keep the layer rules of the project in one place.
#
# tirv_domain_library(name SOURCES ... [LIBS ...])   pure C++, never links Qt; a test checks that
#                                                   none of its files includes a Qt header
# tirv_qt_library(name SOURCES ... [LIBS ...])       transport, operations, pages (skipped in
#                                                   domain-only builds)
# tirv_test(name SOURCES ... LIBS ... [DOMAIN])       a GoogleTest executable registered with CTest;
#                                                   DOMAIN tests also run in the sanitizer build
# tirv_fuzzer(name SOURCES ... LIBS ...)             a libFuzzer target (TIRV_FUZZ builds only)

set(TIRV_CHECK_NO_QT ${CMAKE_CURRENT_LIST_DIR}/CheckNoQt.cmake)

function(tirv_domain_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  # The fuzz targets need coverage feedback from the parsers in the libraries, not only from
  # their own small files.
  if(TIRV_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
  set(files "")
  foreach(f ${A_SOURCES})
    get_filename_component(abs ${f} ABSOLUTE)
    list(APPEND files ${abs})
  endforeach()
  string(REPLACE ";" "|" files "${files}")
  add_test(NAME qt_free.${name}
           COMMAND ${CMAKE_COMMAND} -DFILES=${files} -P ${TIRV_CHECK_NO_QT})
  set_tests_properties(qt_free.${name} PROPERTIES LABELS domain)
endfunction()

function(tirv_qt_library name)
  if(TIRV_DOMAIN_ONLY)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

function(tirv_test name)
  cmake_parse_arguments(A "DOMAIN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(TIRV_DOMAIN_ONLY AND NOT A_DOMAIN)
    return()
  endif()
  if(TIRV_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # g++ 12 at -O2 warns falsely about std::vector inserts into vectors built from brace lists
  # (libstdc++ inlined into the tests' hand-made frames); the sanitizer build checks them for real.
  target_compile_options(${name} PRIVATE
    $<$<CXX_COMPILER_ID:GNU>:-Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread>)
  if(A_DOMAIN)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  endif()
  include(GoogleTest)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  if(A_DOMAIN)
    set(label domain)
  else()
    set(label app)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT ${A_TIMEOUT}
               ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  # Only one variable fits here: the discovery script splits list values. Tests find the programs
  # in ../bin beside their own folder, or in $TIRV_BIN_DIR when a caller sets it.
endfunction()

function(tirv_fuzzer name)
  if(NOT TIRV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
