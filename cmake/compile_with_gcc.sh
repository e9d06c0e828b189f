#!/usr/bin/env bash
# compile_with_gcc.sh <clang command...>: runs the same compilation with mingw-w64's GCC of the
# clang command's target (posix threads) instead, with clang's options in GCC's words.
#
# Why: for i686, clang 14 and GCC disagree on how some C++ functions take their arguments (an
# empty class passed by value, such as libstdc++'s iterator tags, takes a stack slot with GCC and
# none with clang: llvm/llvm-project#58255). libstdc++ is built by GCC, so a program whose own
# code instantiates the same libstdc++ templates (std::string, streams) ends up calling GCC's
# copy the clang way or clang's copy the GCC way, and crashes on return. Code built on
# libstdc++ is therefore compiled by GCC on i686; the module, which uses none of it, is not.
#
# CMake writes the command for clang, so every option it may give clang (its Clang compiler
# settings: target, colour, link-time optimisation, precompiled headers, an external toolchain)
# and every clang option of this tree is translated below; an option clang alone knows that has
# no GCC form here stops the compilation with its name rather than reach GCC.
target=
arguments=()
compiler_command=$1
shift
while [ $# -gt 0 ]; do
  argument=$1
  shift
  case $argument in
    --target=*) target=${argument#--target=} ;;
    -target) target=$1; shift ;;
    # Code view debug information is clang's; GCC writes DWARF, which the PDB step ignores.
    -gcodeview) ;;
    # GCC's spelling: the build folder is written as the given one in the debug information.
    -ffile-compilation-dir=*) arguments+=("-fdebug-prefix-map=$PWD=${argument#*=}") ;;
    # GoogleTest asks clang for -Winline, a no-op there; GCC would report every size decision.
    -Winline) ;;
    # CMAKE_COLOR_DIAGNOSTICS and CMake's ThinLTO, in GCC's words.
    -fcolor-diagnostics) arguments+=(-fdiagnostics-color=always) ;;
    -fno-color-diagnostics) arguments+=(-fdiagnostics-color=never) ;;
    -flto=thin) arguments+=(-flto) ;;
    # Precompiled headers and an external GCC toolchain have no GCC form: clang only.
    -Xclang | --gcc-toolchain=* | -gcc-toolchain | -fpch-instantiate-templates)
      echo "compile_with_gcc.sh: '$argument' is clang's alone; GCC compiles this code (see above)" >&2
      exit 2 ;;
    *) arguments+=("$argument") ;;
  esac
done
if [ -z "$target" ]; then
  echo "compile_with_gcc.sh: no --target= in the command: $*" >&2
  exit 2
fi
case ${compiler_command##*/} in
  clang++*) compiler=$target-g++-posix ;;
  clang*) compiler=$target-gcc-posix ;;
  *) echo "compile_with_gcc.sh: not a clang command: $compiler_command" >&2; exit 2 ;;
esac
exec "$compiler" "${arguments[@]}"
