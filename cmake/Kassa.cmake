# kassa_component(<target> SOURCES ...): a component library, loaded at run
# time by ProgID from the registry; hidden visibility except its entry point.
function(kassa_component target)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} MODULE ${K_SOURCES})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON PREFIX "lib")
  target_link_libraries(${target} PRIVATE ${K_LIBS})
  install(TARGETS ${target} LIBRARY DESTINATION lib/kassa)
endfunction()

# kassa_platform_library(<target> SOURCES ...): a shared platform library; one
# copy per process, so process-wide objects (the UI port) stay single.
function(kassa_platform_library target)
  cmake_parse_arguments(K "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${target} SHARED ${K_SOURCES})
  target_link_libraries(${target} PUBLIC ${K_PUBLIC_LIBS} PRIVATE ${K_PRIVATE_LIBS})
  install(TARGETS ${target} LIBRARY DESTINATION lib/kassa)
endfunction()

# Scenario tests: <area>/<name>.ks run by kassa-script, compared with
# <area>/<name>.expected through scripts/run-scenario.sh.
#
# kassa_scenario_tests(<dir> [PREFIX <prefix>] [RUNNER <program>]
#                      [PREPARE <command> [args...]]): one CTest test
# "<prefix>.<area>.<name>" (prefix "scenario" by default) per .ks file in
# <dir> (relative to tests/scenarios, or absolute), each needing the database
# fixture, run by <program> (the test environment's kassa-script by default). The PREPARE command
# runs with the scenario's fresh folder as its last argument before the
# runner. The names of the tests made are left in KASSA_SCENARIO_TESTS.
# To add an area, put its scenarios into a folder of tests/scenarios and call
# this once for it. KASSA_UPDATE_EXPECTED=1 ctest -R scenario... rewrites the
# expected transcripts from the current runs.
function(kassa_scenario_tests dir)
  cmake_parse_arguments(K "" "PREFIX;RUNNER" "PREPARE" ${ARGN})
  if(NOT K_PREFIX)
    set(K_PREFIX scenario)
  endif()
  # By default the runner of the test environment's own installation (its
  # copy of the deployment), so that it takes that installation's components.
  get_property(testenv GLOBAL PROPERTY KASSA_TESTENV_DIR)
  if(NOT K_RUNNER)
    set(K_RUNNER ${testenv}/deploy/$<TARGET_FILE_NAME:kassa-script>)
  endif()
  set(made)
  if(NOT IS_ABSOLUTE ${dir})
    set(dir ${CMAKE_SOURCE_DIR}/tests/scenarios/${dir})
  endif()
  get_filename_component(area ${dir} NAME)
  file(GLOB scenarios CONFIGURE_DEPENDS ${dir}/*.ks)
  list(SORT scenarios)
  foreach(ks IN LISTS scenarios)
    get_filename_component(name ${ks} NAME_WE)
    set(test ${K_PREFIX}.${area}.${name})
    add_test(NAME ${test}
      COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/run-scenario.sh
              ${K_RUNNER} ${ks} ${dir}/${name}.expected ${K_PREPARE})
    set_tests_properties(${test} PROPERTIES TIMEOUT 300)
    kassa_db_test(${test})
    list(APPEND made ${test})
  endforeach()
  set(KASSA_SCENARIO_TESTS ${made} PARENT_SCOPE)
endfunction()
