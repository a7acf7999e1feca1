# The office SDK (Debian package libreoffice-dev): the UNO C++ headers of the
# office API are generated with cppumaker from the office's type libraries
# into the build folder. Everything that runs inside the office is built only
# when the SDK is present (KASSA_OFFICE_SDK_FOUND).
#
# kassa_office_sdk: an interface target with the generated and SDK headers
# (as system headers), the UNO environment definitions and the UNO runtime
# libraries.

set(KASSA_OFFICE_DIR /usr/lib/libreoffice CACHE PATH "Office installation holding program/ and sdk/")
set(KASSA_OFFICE_SDK_FOUND OFF)
find_program(KASSA_CPPUMAKER cppumaker
  PATHS ${KASSA_OFFICE_DIR}/sdk/bin NO_DEFAULT_PATH)
set(_office_types ${KASSA_OFFICE_DIR}/program/types.rdb)
set(_office_api ${KASSA_OFFICE_DIR}/program/types/offapi.rdb)
find_library(KASSA_UNO_CPPUHELPER uno_cppuhelpergcc3 PATHS ${KASSA_OFFICE_DIR}/sdk/lib NO_DEFAULT_PATH)
find_library(KASSA_UNO_CPPU uno_cppu PATHS ${KASSA_OFFICE_DIR}/sdk/lib NO_DEFAULT_PATH)
find_library(KASSA_UNO_SAL uno_sal PATHS ${KASSA_OFFICE_DIR}/sdk/lib NO_DEFAULT_PATH)

if(KASSA_CPPUMAKER AND EXISTS ${_office_types} AND EXISTS ${_office_api}
   AND KASSA_UNO_CPPUHELPER AND KASSA_UNO_CPPU AND KASSA_UNO_SAL
   AND EXISTS ${KASSA_OFFICE_DIR}/sdk/include/cppuhelper/implbase1.hxx)
  set(KASSA_OFFICE_SDK_FOUND ON)
  set(KASSA_UNO_HEADERS ${CMAKE_BINARY_DIR}/office-sdk/include)
  set(_stamp ${CMAKE_BINARY_DIR}/office-sdk/headers.stamp)
  # cppumaker wants its output folder glued to -O.
  add_custom_command(OUTPUT ${_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${KASSA_UNO_HEADERS}
    COMMAND ${KASSA_CPPUMAKER} -Gc -O${KASSA_UNO_HEADERS} ${_office_types} ${_office_api}
    COMMAND ${CMAKE_COMMAND} -E touch ${_stamp}
    DEPENDS ${_office_types} ${_office_api}
    COMMENT "Generating the office API headers with cppumaker")
  add_custom_target(kassa_office_headers DEPENDS ${_stamp})

  add_library(kassa_office_sdk INTERFACE)
  add_dependencies(kassa_office_sdk kassa_office_headers)
  target_include_directories(kassa_office_sdk SYSTEM INTERFACE
    ${KASSA_UNO_HEADERS} ${KASSA_OFFICE_DIR}/sdk/include)
  target_compile_definitions(kassa_office_sdk INTERFACE UNX GCC LINUX CPPU_ENV=gcc3)
  target_link_libraries(kassa_office_sdk INTERFACE
    ${KASSA_UNO_CPPUHELPER} ${KASSA_UNO_CPPU} ${KASSA_UNO_SAL})
  message(STATUS "Office SDK found: the Calc host and its extension are built")
else()
  message(STATUS "Office SDK not found (libreoffice-dev): the Calc host is not built")
endif()
