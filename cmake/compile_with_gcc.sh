#!/usr/bin/env bash
# compile_with_gcc.sh <clang command...>: runs the same compilation with mingw-w64's GCC of the
# clang command's target (posix threads) instead, leaving out the options that only clang knows.
#
# Why: for i686, clang 14 and GCC disagree on how some C++ functions take their arguments (an
# empty class passed by value, such as libstdc++'s iterator tags, takes a stack slot with GCC and
# none with clang: llvm/llvm-project#58255). libstdc++ is built by GCC, so a program whose own
# code instantiates the same libstdc++ templates (std::string, streams) ends up calling GCC's
# copy the clang way or clang's copy the GCC way, and crashes on return. Code built on
# libstdc++ is therefore compiled by GCC on i686; the module, which uses none of it, is not.
target=
arguments=()
for argument in "${@:2}"; do
  case $argument in
    --target=*) target=${argument#--target=} ;;
    -gcodeview) ;;
    # GCC's spelling: the build folder is written as the given one in the debug information.
    -ffile-compilation-dir=*) arguments+=("-fdebug-prefix-map=$PWD=${argument#*=}") ;;
    # GoogleTest asks clang for -Winline, a no-op there; GCC would report every size decision.
    -Winline) ;;
    *) arguments+=("$argument") ;;
  esac
done
if [ -z "$target" ]; then
  echo "compile_with_gcc.sh: no --target= in the command: $*" >&2
  exit 2
fi
case ${1##*/} in
  clang++*) compiler=$target-g++-posix ;;
  clang*) compiler=$target-gcc-posix ;;
  *) echo "compile_with_gcc.sh: not a clang command: $1" >&2; exit 2 ;;
esac
exec "$compiler" "${arguments[@]}"
