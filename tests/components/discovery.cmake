# Component discovery and instantiation: in-process suites over the library's code, fixture
# component modules for them to load, and the plug-in road through the built module.

# One fixture source, built once per behaviour.
set(RM_DISCOVERY_FIXTURES
  good ""
  no_class_object FIXTURE_NO_CLASS_OBJECT
  class_object_fails FIXTURE_CLASS_OBJECT_FAILS
  create_fails FIXTURE_CREATE_FAILS
  no_can_unload FIXTURE_NO_CAN_UNLOAD
  null_factory FIXTURE_NULL_FACTORY
  null_object FIXTURE_NULL_OBJECT)
set(RM_DISCOVERY_FIXTURE_TARGETS)
while(RM_DISCOVERY_FIXTURES)
  list(POP_FRONT RM_DISCOVERY_FIXTURES behaviour definition)
  set(target discovery_component_${behaviour})
  rm_add_fixture_module(${target}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fixtures/component_module.cpp
    DEFINITIONS ${definition}
    LIBRARIES uuid)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fixtures)
  list(APPEND RM_DISCOVERY_FIXTURE_TARGETS ${target})
endwhile()

rm_add_test_suite(discovery_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/component_discovery_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/component_instantiation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/discovery_test_support.cpp
  DEPENDS ${RM_DISCOVERY_FIXTURE_TARGETS})
target_include_directories(discovery_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fixtures)

# The built module as a host uses it: linked through its import library.
rm_add_test_suite(discovery_host_tests HOST
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/plugin_road_host_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/discovery_test_support.cpp
  LIBRARIES Rm7731
  DEPENDS ${RM_DISCOVERY_FIXTURE_TARGETS})
target_include_directories(discovery_host_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fixtures)

# Registry data written by other programs, and misbehaving components, met through the import
# library as a release host meets them. A suite of its own: linking the module for good would
# keep it loaded in the plug-in road's process.
rm_add_test_suite(registry_data_host_tests HOST
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/registry_data_host_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/discovery_test_support.cpp
  LIBRARIES Rm7731
  DEPENDS ${RM_DISCOVERY_FIXTURE_TARGETS})
target_include_directories(registry_data_host_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fixtures)
