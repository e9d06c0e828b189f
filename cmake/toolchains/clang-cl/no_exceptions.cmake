# Read by clang-cl.cmake's builds after CMake's own Visual C++ settings (as
# CMAKE_USER_MAKE_RULES_OVERRIDE_CXX): they ask for C++ exceptions (/EHsc), whose runtime support
# the stand-in runtime does not have, so the code is compiled without them, as without RTTI.
string(REPLACE "/EHsc" "/EHs-c-" CMAKE_CXX_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT}")
