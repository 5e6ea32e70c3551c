# Warnings on our own code only; third-party headers come in as SYSTEM. They are
# errors with VIVORI_WERROR (our scripts and CI), not for packagers, whose compilers
# and flags may warn where ours do not.
function(vivori_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VIVORI_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# vivori_library(name SOURCES ... DEPS ...): one library per layer, so a layer can
# only reach the layers it names.
function(vivori_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  vivori_warnings(${name})
endfunction()

# vivori_test(name SOURCES ... DEPS ...): a GoogleTest binary registered with ctest.
function(vivori_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  vivori_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endfunction()

# vivori_install_man_page(page.N): installs the page compressed, as Debian wants it.
function(vivori_install_man_page page)
  string(REGEX MATCH "[0-9]$" section ${page})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/${page} > ${compressed}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${page}
    COMMENT "Compressing ${page}")
  add_custom_target(man_${page} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION share/man/man${section})
endfunction()
