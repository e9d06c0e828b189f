#!/usr/bin/env bash
# The module and the tool as they ship need nothing but Windows (and the tool the module beside
# it): every DLL either image imports is one that Windows itself provides (one of the system
# folder of its width in the Wine prefix), never a runtime DLL of the toolchain (libstdc++,
# libgcc, winpthread).
# shipped_imports_test.sh <folder of the images> <Wine prefix>
set -u
images=$1 prefix=$2
passed=0 failed=0
for image in Rm7731.pid pidtool.exe; do
  headers=$(llvm-readobj --file-headers "$images/$image") || { failed=$((failed + 1)); continue; }
  system=$prefix/drive_c/windows/system32
  if grep -q IMAGE_FILE_MACHINE_I386 <<<"$headers" && [ -d "$prefix/drive_c/windows/syswow64" ]; then
    system=$prefix/drive_c/windows/syswow64
  fi
  dlls=$(llvm-readobj --coff-imports "$images/$image" | sed -n 's/^  Name: //p')
  [ -n "$dlls" ] || { echo "FAILED: $image imports nothing readable"; failed=$((failed + 1)); }
  for dll in $dlls; do
    if [ "$image:$dll" = pidtool.exe:Rm7731.pid ] ||
      [ -n "$(find "$system" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
      passed=$((passed + 1))
    else
      echo "FAILED: $image imports $dll, which Windows does not provide"
      failed=$((failed + 1))
    fi
  done
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
