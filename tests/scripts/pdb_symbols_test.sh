#!/usr/bin/env bash
# A Windows debugger's view of the shipped images: given only an image and its PDB (in a folder
# of their own), the image's CodeView entry names the PDB with the PDB's own GUID and age, and
# addresses inside functions (internal linkage included) resolve to the function's name and to
# its source file and lines, as the sources give them.
# pdb_symbols_test.sh <source dir> <folder of the images and PDBs>
set -u
sources=$1
images=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
# section_base IMAGE NUMBER: the section's relative virtual address.
section_base() {
  llvm-readobj --sections "$1" | grep -A3 "^    Number: $2\$" | sed -n 's/.*VirtualAddress: //p'
}
# symbolize IMAGE RVA: what llvm-symbolizer says of the address, with only the image's folder
# (the image and its PDB) to go by.
symbolize() {
  (cd / && cd "$scratch/$1" && llvm-symbolizer --obj="$1" --relative-address "$(printf '0x%x' "$2")")
}

# image | function as the PDB names it | source file that defines it | text that starts the definition
cases='
Rm7731.pid|rm::OnProcessAttach|src/module/module_state.cpp|void OnProcessAttach(
Rm7731.pid|DllRegisterServer|src/module/server_exports.cpp|STDAPI DllRegisterServer(
Rm7731.pid|QXConvertCLSIDToString|src/components/component_key_names_exports.cpp|tagQXINTRFCRESULT QXConvertCLSIDToString(
Rm7731.pid|rm::`anonymous namespace'"'"'::Win32Services::GetClassDevs|src/identification/win32_device_services.cpp|HDEVINFO GetClassDevs(
pidtool.exe|wmain|tools/pidtool/main.cpp|extern "C" int wmain(
pidtool.exe|pidtool::`anonymous namespace'"'"'::FindCommand|tools/pidtool/cli/command_line.cpp|const CommandSpec* FindCommand(
'

for image in Rm7731.pid pidtool.exe; do
  pdb=${image%.*}.pdb
  mkdir -p "$scratch/$image"
  cp "$images/$image" "$images/$pdb" "$scratch/$image/" || { fail "$image or $pdb is missing"; continue; }
  cd "$scratch/$image" || exit 1
  # The image's CodeView entry: GUID bytes as stored (Data1-3 little-endian), age, PDB name.
  entry=$(llvm-readobj --coff-debug-directory "$image")
  bytes=$(sed -n 's/.*PDBGUID: (\(.*\))/\1/p' <<<"$entry" | tr -d ' ')
  age=$(sed -n 's/.*PDBAge: //p' <<<"$entry")
  named=$(sed -n 's/.*PDBFileName: //p' <<<"$entry")
  guid=${bytes:6:2}${bytes:4:2}${bytes:2:2}${bytes:0:2}-${bytes:10:2}${bytes:8:2}-${bytes:14:2}${bytes:12:2}-${bytes:16:4}-${bytes:20:12}
  summary=$(llvm-pdbutil dump -summary "$pdb")
  [ "$named" = "$pdb" ] && pass || fail "$image names '$named', not '$pdb' without a folder"
  grep -qi "GUID: {$guid}" <<<"$summary" && pass || fail "$image names GUID $guid, $pdb has $(grep GUID <<<"$summary")"
  grep -q "Age: $age\$" <<<"$summary" && pass || fail "$image names age $age, $pdb has $(grep Age <<<"$summary")"
  if llvm-readobj --sections "$image" | grep -q 'Name: \.debug'; then
    fail "$image still carries debug sections of its own"
  else
    pass
  fi

  # The x86 tool is compiled by GCC, which writes no CodeView: its PDB holds the public symbols
  # lld makes of the image's symbol table, so a debugger names external functions, without lines.
  if [ "$image" = pidtool.exe ] && llvm-readobj --file-headers "$image" | grep -q 'IMAGE_FILE_MACHINE_I386'; then
    record=$(llvm-pdbutil dump -publics "$pdb" | grep -F -A1 'S_PUB32 [size = 24] `_wmain`' | tail -n 1)
    offset=$(sed -n 's/.*addr = 0001:\([0-9]*\).*/\1/p' <<<"$record")
    if [ -z "$offset" ]; then
      fail "$pdb has no public symbol _wmain"
    else
      name=$(symbolize "$image" $(($(section_base "$image" 1) + offset + 4)) | head -n 1)
      [ "$name" = wmain ] && pass || fail "$image: an address inside _wmain resolves to '$name'"
    fi
    continue
  fi

  symbols=$(llvm-pdbutil dump -symbols "$pdb")
  while IFS='|' read -r in_image function file definition; do
    [ "$in_image" = "$image" ] || continue
    # "addr = SSSS:OOOO, code size = N" (decimal) on the line after the procedure's name.
    record=$(grep -F -A1 "PROC32 [size = " <<<"$symbols" | grep -F -A1 "\`$function\`" | tail -n 1)
    section=$(sed -n 's/.*addr = \([0-9]*\):.*/\1/p' <<<"$record")
    offset=$(sed -n 's/.*addr = [0-9]*:\([0-9]*\),.*/\1/p' <<<"$record")
    size=$(sed -n 's/.*code size = \([0-9]*\).*/\1/p' <<<"$record")
    if [ -z "$section" ] || [ -z "$size" ]; then
      fail "$pdb has no procedure $function"
      continue
    fi
    base=$(section_base "$image" $((10#$section)))
    first=$(grep -n -F "$definition" "$sources/$file" | head -n 1 | cut -d: -f1)
    last=$(awk -v from="$first" 'NR > from && /^}/ { print NR; exit }' "$sources/$file")
    [ -n "$last" ] || last=$(grep -c '' "$sources/$file")
    for where in start middle; do
      step=0
      [ "$where" = middle ] && step=$((size / 2))
      rva=$((base + 10#$offset + step))
      answer=$(symbolize "$image" "$rva")
      # Inlined calls come first, one name and location each; the function itself is last.
      answer=$(grep -v '^$' <<<"$answer")
      # (For x86 images it may give the linkage name.)
      name=$(tail -n 2 <<<"$answer" | head -n 1 | llvm-cxxfilt)
      location=$(tail -n 1 <<<"$answer" | tr '\\' '/')
      line=$(cut -d: -f2 <<<"${location##*/}")
      if [[ $name != "$function"* ]]; then
        fail "$image+$(printf '0x%x' "$rva") ($where of $function) resolves to '$name'"
      elif [[ $location != *"$file:"* ]]; then
        fail "$image+$(printf '0x%x' "$rva") ($where of $function) is in '$location', not $file"
      elif [ "$line" -lt "$first" ] || [ "$line" -gt "$last" ]; then
        fail "$image+$(printf '0x%x' "$rva") ($where of $function) is line $line; the definition spans $first-$last"
      else
        pass
      fi
    done
  done <<<"$cases"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
