# Property storage and object identifiers.
set(RM_SETTINGS_TEST_DIR ${CMAKE_CURRENT_LIST_DIR}/settings)

rm_add_test_suite(settings_tests
  SOURCES
    ${RM_SETTINGS_TEST_DIR}/property_storage_test.cpp
    ${RM_SETTINGS_TEST_DIR}/object_identifiers_test.cpp)
