#!/usr/bin/env bash
# compile_with_relative_paths.sh <source root> <compiler command...>: runs the compiler with
# every path under the source root written relative to the current (build) folder. clang
# records its whole command line in the CodeView debug information, and with it every absolute
# path of the build; relative ones are the same in every clone, so the PDBs are too. Macro
# definitions keep their text: a path in one is data for the program (a test's input file),
# and no shipped image is built with one.
root=$1
shift
relative=$(realpath --relative-to="$PWD" "$root")
arguments=()
for argument in "$@"; do
  case $argument in
    -D*) arguments+=("$argument") ;;
    *) arguments+=("${argument//"$root"/"$relative"}") ;;
  esac
done
exec "${arguments[@]}"
