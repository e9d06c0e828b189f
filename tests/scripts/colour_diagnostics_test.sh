#!/usr/bin/env bash
# The i686 compiler boundary under an ordinary setting: a tree configured with colour
# diagnostics on (CMAKE_COLOR_DIAGNOSTICS, which CMake 3.24+ also reads from the environment)
# compiles both the code clang builds (the module's) and the code GCC builds (the tool's), and
# the GCC launcher refuses a clang-only option by name.
#   colour_diagnostics_test.sh <source root> <scratch folder>
set -u
root=$1 tree=$2
source "$(dirname "$0")/../support/checks.sh"
rm -rf "$tree"

check "configuring an i686 tree with CMAKE_COLOR_DIAGNOSTICS=ON" \
  cmake --no-warn-unused-cli -S "$root" -B "$tree" -G Ninja -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_COLOR_DIAGNOSTICS=ON
object_of() { ninja -C "$tree" -t targets all | sed -n "s|^\\($1[^:]*\\.obj\\):.*|\\1|p" | head -n 1; }
module_object=$(object_of 'src/CMakeFiles/rm7731_core.dir/')
tool_object=$(object_of 'tools/pidtool/CMakeFiles/pidtool_core.dir/')
for object in "$module_object" "$tool_object"; do
  check "CMake asks for colour in $object" \
    bash -c 'ninja -C "$0" -t commands "$1" | tail -n 1 | grep -q -- -fcolor-diagnostics' "$tree" "$object"
  check "compiling $object" ninja -C "$tree" "$object"
done
check "the launcher names a clang-only option it cannot give GCC" bash -c \
  '! out=$("$0/cmake/compile_with_gcc.sh" clang++ --target=i686-w64-mingw32 -Xclang -ast-dump -c x.cpp 2>&1) &&
   [[ $out == *"-Xclang"*"clang'"'"'s alone"* ]]' "$root"
rm -rf "$tree"
finish
