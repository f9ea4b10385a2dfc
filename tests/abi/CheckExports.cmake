# Asserts that the shared library exports its public interface and nothing
# else: the kal_ and varnel_ functions under their C names, the members, virtual
# table and type information of CVarnelDll, and the few symbols the linker
# always adds. Anything of our internals, of POCO, of muParser or of the C++
# standard library in the dynamic symbol table would let hosts bind to it and
# clash with their own copies.
#
# Run as: cmake -DLIBRARY=<file> -DSONAME=<expected> -DNM=<nm> -DREADELF=<readelf>
#               [-DCXXFILT=<c++filt>] -P CheckExports.cmake
cmake_minimum_required(VERSION 3.20)

foreach(var LIBRARY SONAME NM READELF)
  if(NOT ${var})
    message(FATAL_ERROR "CheckExports: ${var} is not set")
  endif()
endforeach()

# --- SONAME: hosts record it, so it must be set and carry the major version.
execute_process(COMMAND ${READELF} -d ${LIBRARY}
  OUTPUT_VARIABLE dynamic RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "readelf -d failed on ${LIBRARY}")
endif()
if(NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[([^]]*)\\]")
  message(FATAL_ERROR "${LIBRARY} has no SONAME")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL SONAME)
  message(FATAL_ERROR "SONAME is '${CMAKE_MATCH_1}', expected '${SONAME}'")
endif()

# --- Defined dynamic symbols.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm -D --defined-only failed on ${LIBRARY}")
endif()

set(required_c kal_InitVarnel kal_EndVarnel kal_SetPreferences kal_SetFlags
               kal_GetChannels kal_RGB2Multichannel
               varnel_status_name varnel_version varnel_version_text varnel_load
               varnel_load_text varnel_free varnel_channels varnel_ink_name
               varnel_ink_color varnel_config_text varnel_is_cached
               varnel_convert8 varnel_convert16 varnel_preset_name varnel_preset_text
               varnel_check varnel_check_text)
# Added by the GNU toolchain to every shared object, not by our code:
# _init/_fini are the ELF initialisation and termination entry points, and
# _edata/_end/__bss_start the segment boundary markers older linkers place
# in the dynamic table. Each may or may not appear.
set(toolchain_symbols _init _fini _edata _end __bss_start)

set(found_c "")
set(found_class FALSE)
set(found_vtable FALSE)
set(unexpected "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  # "<address> <type> <name>"; absolute symbols may come without address.
  if(NOT line MATCHES "^([0-9a-fA-F]+ +)?([A-Za-z]) +([^ ]+)$")
    message(FATAL_ERROR "cannot read nm line: '${line}'")
  endif()
  set(type "${CMAKE_MATCH_2}")
  set(name "${CMAKE_MATCH_3}")
  # Version suffixes ("name@@VERSION") play no part in the check.
  string(REGEX REPLACE "@.*$" "" name "${name}")

  if(name IN_LIST required_c)
    if(NOT type STREQUAL "T")
      list(APPEND unexpected "${name} (type ${type}, expected a function)")
    endif()
    list(APPEND found_c ${name})
  elseif(name MATCHES "^_ZNK?10CVarnelDll")
    set(found_class TRUE)          # members, constructors, destructor
  elseif(name MATCHES "^_ZT[VIS]10CVarnelDll$")
    if(name STREQUAL "_ZTV10CVarnelDll")
      set(found_vtable TRUE)       # the virtual table hosts call through
    endif()
  elseif(name IN_LIST toolchain_symbols)
  else()
    list(APPEND unexpected "${name}")
  endif()
endforeach()

set(problems "")
foreach(name IN LISTS required_c)
  if(NOT name IN_LIST found_c)
    list(APPEND problems "missing export: ${name}")
  endif()
endforeach()
if(NOT found_class)
  list(APPEND problems "missing export: the members of CVarnelDll")
endif()
if(NOT found_vtable)
  list(APPEND problems "missing export: the virtual table of CVarnelDll")
endif()
if(unexpected)
  list(LENGTH unexpected count)
  list(APPEND problems "${count} unexpected export(s):")
  foreach(name IN LISTS unexpected)
    set(readable "")
    if(CXXFILT)
      execute_process(COMMAND ${CXXFILT} ${name} OUTPUT_VARIABLE readable
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    endif()
    if(readable AND NOT readable STREQUAL name)
      list(APPEND problems "  ${name}  (${readable})")
    else()
      list(APPEND problems "  ${name}")
    endif()
  endforeach()
endif()

if(problems)
  string(REPLACE ";" "\n" text "${problems}")
  message(FATAL_ERROR "exported symbols of ${LIBRARY}:\n${text}")
endif()
message(STATUS "exports of ${LIBRARY}: the C interface, CVarnelDll and nothing else; SONAME ${SONAME}")
