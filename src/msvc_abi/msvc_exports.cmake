# Writes the module's export list with the Visual C++ names added, and the export list of the
# Visual C++ import library. Run by the build (src/CMakeLists.txt) as
#   cmake -DLLVM_NM= -DMSVC_OBJECT= -DGNU_OBJECT= -DSYMBOL_PREFIX= -DGCC_DEF= -DHEADERS=
#         -DMSVC_SYMBOLS= -DGNU_SYMBOLS= -DMODULE_DEF= -DIMPORT_DEF= -P msvc_exports.cmake
# MSVC_OBJECT and GNU_OBJECT are api_references.cpp compiled by clang in MSVC and in GNU mode;
# the names they refer to are written to MSVC_SYMBOLS and GNU_SYMBOLS (one a line, for the
# tests). GNU names carry SYMBOL_PREFIX ("_" on x86). GCC_DEF is the hand-written export list
# with GCC's names; HEADERS are the public headers.
#
# Each Visual C++ name is paired with the GNU name of the same declaration and exported as an
# alias of it, except for constructors: Visual C++ callers expect `this` back from them, so
# they go to a bridge in the module that returns it.
cmake_minimum_required(VERSION 3.20)

set(constructor_bridges "CQXGlobalMemObj::CQXGlobalMemObj=ConstructGlobalMemObjForVisualCpp")

foreach(variable LLVM_NM MSVC_OBJECT GNU_OBJECT GCC_DEF HEADERS MSVC_SYMBOLS GNU_SYMBOLS
                 MODULE_DEF IMPORT_DEF)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

foreach(mode MSVC GNU)
  execute_process(COMMAND ${LLVM_NM} --undefined-only --just-symbol-name ${${mode}_OBJECT}
    OUTPUT_FILE ${${mode}_SYMBOLS} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "llvm-nm failed (${status}) on ${${mode}_OBJECT}")
  endif()
endforeach()

set(identifier "[A-Za-z_][A-Za-z0-9_]*")

# The declaration a Visual C++ name stands for, e.g. "CQXGlobalMemObj::Create".
function(msvc_declaration name out)
  if(name MATCHES "^\\?\\?0(${identifier})@@")
    set(${out} "${CMAKE_MATCH_1}::${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(name MATCHES "^\\?\\?1(${identifier})@@")
    set(${out} "${CMAKE_MATCH_1}::~${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(name MATCHES "^\\?\\?4(${identifier})@@")
    set(${out} "${CMAKE_MATCH_1}::operator=" PARENT_SCOPE)
  elseif(name MATCHES "^\\?(${identifier})@(${identifier})@@")
    set(${out} "${CMAKE_MATCH_2}::${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(name MATCHES "^\\?(${identifier})@@")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "no declaration known for the Visual C++ name ${name}")
  endif()
endfunction()

# The same for a GCC (Itanium) name: length-prefixed identifiers after _Z or _ZN.
function(gnu_declaration name out)
  if(name MATCHES "^_ZN([0-9]+)")
    string(LENGTH "_ZN${CMAKE_MATCH_1}" start)
    string(SUBSTRING "${name}" ${start} ${CMAKE_MATCH_1} class)
    math(EXPR start "${start} + ${CMAKE_MATCH_1}")
    string(SUBSTRING "${name}" ${start} -1 rest)
    if(rest MATCHES "^C1E")
      set(${out} "${class}::${class}" PARENT_SCOPE)
    elseif(rest MATCHES "^D1E")
      set(${out} "${class}::~${class}" PARENT_SCOPE)
    elseif(rest MATCHES "^aSE")
      set(${out} "${class}::operator=" PARENT_SCOPE)
    elseif(rest MATCHES "^([0-9]+)")
      string(LENGTH "${CMAKE_MATCH_1}" digits)
      string(SUBSTRING "${rest}" ${digits} ${CMAKE_MATCH_1} member)
      set(${out} "${class}::${member}" PARENT_SCOPE)
    else()
      message(FATAL_ERROR "no declaration known for the GCC name ${name}")
    endif()
  elseif(name MATCHES "^_Z([0-9]+)")
    string(LENGTH "_Z${CMAKE_MATCH_1}" start)
    string(SUBSTRING "${name}" ${start} ${CMAKE_MATCH_1} function)
    set(${out} "${function}" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "no declaration known for the GCC name ${name}")
  endif()
endfunction()

file(STRINGS ${MSVC_SYMBOLS} msvc_names)
file(STRINGS ${GNU_SYMBOLS} gnu_symbols)
file(READ ${GCC_DEF} gcc_def)
string(REGEX MATCHALL "_Z[A-Za-z0-9_]+" gcc_names "${gcc_def}")

# Every declaration must have been referred to, or it would silently miss its Visual C++ name.
set(declaration_count 0)
foreach(header ${HEADERS})
  file(READ ${header} text)
  string(REPLACE ";" "<semicolon>" text "${text}")  # a list separator to CMake
  string(REGEX MATCHALL "noexcept[ \t\r\n]*<semicolon>" declarations "${text}")
  list(LENGTH declarations count)
  math(EXPR declaration_count "${declaration_count} + ${count}")
endforeach()
list(LENGTH msvc_names msvc_count)
list(LENGTH gnu_symbols gnu_count)
if(NOT msvc_count EQUAL declaration_count OR NOT gnu_count EQUAL declaration_count)
  message(FATAL_ERROR "the public headers declare ${declaration_count} functions and members, but "
    "the compiler named ${msvc_count} (MSVC) and ${gnu_count} (GNU): refer to every declaration "
    "in src/msvc_abi/api_references.cpp")
endif()

# The GNU names come from the same declarations as the Visual C++ names; the hand-written list
# must hold each, which also proves that sdk/windows.h names the types GCC sees in windows.h.
foreach(symbol ${gnu_symbols})
  # Drop the prefix once (REGEX REPLACE would drop every leading "_" in turn).
  string(LENGTH "${SYMBOL_PREFIX}" prefix_length)
  string(SUBSTRING "${symbol}" ${prefix_length} -1 name)
  if(NOT name IN_LIST gcc_names)
    message(FATAL_ERROR "the public headers declare ${name}, which ${GCC_DEF} does not export")
  endif()
  gnu_declaration(${name} declaration)
  set("gnu_name_of_${declaration}" ${name})
endforeach()

set(module_lines "\n    ; Visual C++ names of the same functions (generated from the public headers)\n")
set(import_lines "; The Visual C++ names exported by Rm7731.pid (generated from the public headers).\nLIBRARY \"Rm7731.pid\"\nEXPORTS\n")
list(SORT msvc_names)
foreach(name ${msvc_names})
  msvc_declaration(${name} declaration)
  set(target "${gnu_name_of_${declaration}}")
  if(declaration MATCHES "^(${identifier})::(${identifier})$" AND
     CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
    set(bridge ${constructor_bridges})
    list(FILTER bridge INCLUDE REGEX "^${declaration}=")
    if(NOT bridge)
      message(FATAL_ERROR "the constructor ${declaration} needs a bridge that returns this")
    endif()
    string(REGEX REPLACE "^.*=" "" target "${bridge}")
  elseif(target STREQUAL "")
    message(FATAL_ERROR "no GCC name pairs with ${name} (${declaration})")
  endif()
  string(APPEND module_lines "    ${name} = ${target}\n")
  string(APPEND import_lines "    ${name}\n")
endforeach()

file(WRITE ${MODULE_DEF} "${gcc_def}${module_lines}")
file(WRITE ${IMPORT_DEF} "${import_lines}")
