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
