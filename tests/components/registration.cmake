# Component registry layout, registration and self-registration.
rm_add_test_suite(registration_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/clsid_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/component_key_names_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/component_registration_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/server_registration_test.cpp
  LIBRARIES shlwapi)

# The built module through its exports, and the platform's regsvr32 as its real client.
# The null-reference cases call the module through its import library, as a release host does.
rm_add_test_suite(registration_host_tests HOST
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/registration_host_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/regsvr32_client_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/null_reference_host_test.cpp
  LIBRARIES Rm7731
  PROPERTIES RESOURCE_LOCK real_hklm)
