# Property storage and object identifiers.
set(RM_SETTINGS_TEST_DIR ${CMAKE_CURRENT_LIST_DIR}/settings)

rm_add_test_suite(settings_tests
  SOURCES
    ${RM_SETTINGS_TEST_DIR}/property_storage_test.cpp
    ${RM_SETTINGS_TEST_DIR}/object_identifiers_test.cpp)

# The same functions through the built module's import library.
rm_add_test_suite(settings_host_tests HOST
  SOURCES ${RM_SETTINGS_TEST_DIR}/settings_host_test.cpp
  LIBRARIES Rm7731)
