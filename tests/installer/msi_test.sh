#!/usr/bin/env bash
# The installer of this tree's module and tool under Wine's msiexec, in the tree's prefix:
# installed, the component registry holds exactly what DllRegisterServer writes (only the
# "File" folder differs), doctor finds nothing and products creates the plug-in; a repair
# restores a deleted module and a deleted "File" value; the next version replaces this one,
# leaving one registration and one copy; uninstalling leaves the registry and disk as before.
# msi_test.sh <source dir> <x86|x64> <bin folder> <Wine prefix> <Wine command...>
set -u
source "$(cd "$(dirname "$0")" && pwd)/../support/checks.sh"
source_dir=$1 arch=$2 bin=$(cd "$3" && pwd) prefix=$4
shift 4
wine=("$@")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

version=$(sed -n 's/^project(Rm7731 VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
next=${version%.*}.$((${version##*.} + 1))
"$source_dir/scripts/installer" "$arch" "$bin" "$version" current.msi >/dev/null || exit 1
"$source_dir/scripts/installer" "$arch" "$bin" "$next" next.msi >/dev/null || exit 1

# This width's program files folder, as Windows and as this machine name it.
if [ "$arch" = x86 ] && [ -d "$prefix/drive_c/Program Files (x86)" ]; then
  folder='C:\Program Files (x86)\Rm7731'
else
  folder='C:\Program Files\Rm7731'
fi
unix_folder=$prefix/drive_c/${folder#C:\\}
unix_folder=${unix_folder//\\//}
component='HKLM\SOFTWARE\Varnel\Component Installed\{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}'

# A registry tree as text (empty when there is none; default SOFTWARE\Varnel, all that the
# package writes), the "File" value cut to its name.
registry() {
  rm -f export.reg
  "${wine[@]}" reg export "${1:-HKLM\SOFTWARE\Varnel}" export.reg /y >/dev/null 2>&1 || return 0
  iconv -f utf-16 -t utf-8 export.reg | tr -d '\r' | sed 's/^"File"=".*\\\\/"File"="/'
}
# The value exactly, as reg export writes it (backslashes doubled).
value() {
  rm -f export.reg
  "${wine[@]}" reg export "$1" export.reg /y >/dev/null 2>&1 &&
    iconv -f utf-16 -t utf-8 export.reg | tr -d '\r' | sed -n "s/^\"$2\"=//p"
}
components='HKLM\SOFTWARE\Varnel\Component Installed'
disk() { find "$unix_folder" -exec stat -c '%n %s' {} + 2>/dev/null | LC_ALL=C sort; }
msiexec() { "${wine[@]}" msiexec "$@" /qn; }
same() { diff "$1" "$2"; }

registry >before.reg
disk >before.disk
# What the module writes itself, with the same width's tool.
(cd "$bin" && "${wine[@]}" pidtool.exe register Rm7731.pid) >/dev/null 2>&1
registry "$components" >registered.reg
(cd "$bin" && "${wine[@]}" pidtool.exe unregister Rm7731.pid) >/dev/null 2>&1
check "DllRegisterServer wrote the component" grep -q '"File"="Rm7731.pid"' registered.reg

check "msiexec /i installs" msiexec /i current.msi
registry >installed.reg
check "the installer writes exactly what DllRegisterServer writes" \
  same registered.reg <(registry "$components")
check "the installer remembers its folder" \
  test "$(value 'HKLM\SOFTWARE\Varnel\Rm7731' InstallDir)" = "\"${folder//\\/\\\\}\\\\\""
check "\"File\" names the installed module" \
  bash -c "\"\${@}\" reg query '$component' /v File | grep -qiF '$folder\\Rm7731.pid'" _ "${wine[@]}"
check "the module is installed as built" cmp "$bin/Rm7731.pid" "$unix_folder/Rm7731.pid"
check "the tool is installed as built" cmp "$bin/pidtool.exe" "$unix_folder/pidtool.exe"
if [ "$arch" = x64 ]; then
  check "the 32-bit view holds no component registry" \
    bash -c '! "$@" reg query "HKLM\SOFTWARE\Varnel" /reg:32' _ "${wine[@]}"
fi
check "doctor finds nothing" \
  bash -c 'cd "$1" && shift && "$@" pidtool.exe doctor | grep -q "^0 errors, 0 warnings, 0 notes"' \
  _ "$unix_folder" "${wine[@]}"
check "products creates the plug-in" \
  bash -c 'cd "$1" && shift && "$@" pidtool.exe products | grep -q "^1 plug-in"' _ "$unix_folder" "${wine[@]}"

rm -f "$unix_folder/Rm7731.pid"
"${wine[@]}" reg delete "$component" /v File /f >/dev/null 2>&1
check "a repair runs" msiexec /i current.msi REINSTALL=ALL REINSTALLMODE=vomus
check "the repair restores the module" cmp "$bin/Rm7731.pid" "$unix_folder/Rm7731.pid"
registry >repaired.reg
check "the repair restores \"File\"" same installed.reg repaired.reg

disk >current.disk
check "the next version installs over this one" msiexec /i next.msi
registry >upgraded.reg
check "one registration after the upgrade" same installed.reg upgraded.reg
check "one copy after the upgrade" same current.disk <(disk)
check "the upgrade removed this version" bash -c '! "$@" msiexec /x current.msi /qn' _ "${wine[@]}"

check "msiexec /x uninstalls" msiexec /x next.msi
registry >after.reg
check "the registry is as before" same before.reg after.reg
check "the disk is as before" same before.disk <(disk)

# Installed into a folder the user names, in scripts that the prefix's ANSI code page (1252)
# lacks and in one it holds: "File" holds the true path, and the tool installed there finds
# nothing wrong and creates the plug-in. The names reach Wine whole under a UTF-8 locale.
check "the prefix's ANSI code page is 1252" \
  bash -c '"$@" reg query "HKLM\System\CurrentControlSet\Control\Nls\CodePage" /v ACP | grep -q "1252"' \
  _ "${wine[@]}"
for name in 'Камера 相机' 'Café'; do
  named_folder="C:\\$name"
  check "msiexec /i INSTALLDIR='$named_folder' installs" msiexec /i current.msi "INSTALLDIR=$named_folder"
  check "\"File\" holds the true path in '$named_folder'" \
    test "$(value "$component" File)" = "\"C:\\\\$name\\\\Rm7731.pid\""
  check "doctor in '$named_folder' finds nothing" \
    bash -c 'cd "$1" && shift && "$@" pidtool.exe doctor | grep -q "^0 errors, 0 warnings, 0 notes"' \
    _ "$prefix/drive_c/$name" "${wine[@]}"
  check "products in '$named_folder' creates the plug-in" \
    bash -c 'cd "$1" && shift && "$@" pidtool.exe products | grep -qx "  created with QXCreateInstance.*"' \
    _ "$prefix/drive_c/$name" "${wine[@]}"
  check "msiexec /x uninstalls from '$named_folder'" msiexec /x current.msi
  check "the registry is as before" same before.reg <(registry)
  check "'$named_folder' is gone" test ! -e "$prefix/drive_c/$name/Rm7731.pid"
done

finish
