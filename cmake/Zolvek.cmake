# Shared helpers for the build of every area.

# Warnings of our own code; third-party headers are included as system headers.
function(zolvek_avisos alvo)
  target_compile_options(${alvo} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(ZOLVEK_WERROR)
    target_compile_options(${alvo} PRIVATE -Werror)
  endif()
  # A unity build includes every source into another file, which GCC then takes for a
  # header: its warning about anonymous-namespace types used in headers does not apply.
  if(ZOLVEK_UNITY AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${alvo} PRIVATE -Wno-subobject-linkage)
  endif()
endfunction()

# zolvek_biblioteca(NOME PASTA [DEPENDENCIAS...])
# A static library made of every .cpp under PASTA (recursively); an area with no
# sources yet becomes an interface library so that the tree always builds.
function(zolvek_biblioteca nome pasta)
  file(GLOB_RECURSE fontes CONFIGURE_DEPENDS ${pasta}/*.cpp)
  if(fontes)
    add_library(${nome} STATIC ${fontes})
    target_include_directories(${nome} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${nome} PUBLIC ${ARGN})
    zolvek_avisos(${nome})
  else()
    add_library(${nome} INTERFACE)
    target_include_directories(${nome} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${nome} INTERFACE ${ARGN})
  endif()
endfunction()

# Build time: a fresh clone builds and tests in minutes on two cores.
# The sources of each target are compiled in batches (unity build), so that the headers
# and the templates they share are read and instantiated once per batch rather than once
# per file. A batch holds files of one folder only, so names in a file's anonymous
# namespace need to be unique within their folder (of one target):
# -DCMAKE_UNITY_BUILD_BATCH_SIZE=0 puts each folder in one batch, which shows every clash
# at once. ZOLVEK_UNITY=OFF compiles file by file (each file must still include what it
# uses).
if(NOT DEFINED CMAKE_UNITY_BUILD_BATCH_SIZE)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)
endif()

# zolvek_lotes(ALVO): the target's .cpp files in batches of even sizes of about its
# UNITY_BUILD_BATCH_SIZE (CMAKE_UNITY_BUILD_BATCH_SIZE where it was made), each of one
# folder.
function(zolvek_lotes alvo)
  get_target_property(fontes ${alvo} SOURCES)
  get_target_property(raiz ${alvo} SOURCE_DIR)
  set(cpps)
  foreach(fonte IN LISTS fontes)
    get_source_file_property(sozinho ${fonte} TARGET_DIRECTORY ${alvo} SKIP_UNITY_BUILD_INCLUSION)
    if(fonte MATCHES "\\.cpp$" AND NOT sozinho)
      get_filename_component(fonte ${fonte} ABSOLUTE BASE_DIR ${raiz})
      list(APPEND cpps ${fonte})
    endif()
  endforeach()
  list(LENGTH cpps total)
  if(NOT ZOLVEK_UNITY OR total LESS 2)
    set_target_properties(${alvo} PROPERTIES UNITY_BUILD OFF)
    return()
  endif()
  list(SORT cpps)
  set(pastas)
  foreach(fonte IN LISTS cpps)
    get_filename_component(pasta ${fonte} DIRECTORY)
    string(MAKE_C_IDENTIFIER "${pasta}" chave)
    if(NOT DEFINED n_${chave})
      set(n_${chave} 0)
      list(APPEND pastas ${chave})
    endif()
    math(EXPR n_${chave} "${n_${chave}} + 1")
  endforeach()
  get_target_property(tamanho ${alvo} UNITY_BUILD_BATCH_SIZE)
  foreach(fonte IN LISTS cpps)
    get_filename_component(pasta ${fonte} DIRECTORY)
    string(MAKE_C_IDENTIFIER "${pasta}" chave)
    if(NOT DEFINED i_${chave})
      set(i_${chave} 0)
      list(FIND pastas ${chave} p_${chave})
    endif()
    set(n ${n_${chave}})
    if(tamanho GREATER 0)
      math(EXPR lotes "(${n} + ${tamanho} - 1) / ${tamanho}")
      math(EXPR lote "${i_${chave}} * ${lotes} / ${n}")
    else()
      set(lote 0)
    endif()
    set_source_files_properties(${fonte} TARGET_DIRECTORY ${alvo}
      PROPERTIES UNITY_GROUP "${p_${chave}}_${lote}")
    math(EXPR i_${chave} "${i_${chave}} + 1")
  endforeach()
  set_target_properties(${alvo} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
endfunction()

# Batches for every target compiled here, those that areas add later included.
function(zolvek_lotes_em_tudo pasta)
  get_property(alvos DIRECTORY ${pasta} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(alvo IN LISTS alvos)
    get_target_property(tipo ${alvo} TYPE)
    if(tipo MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      zolvek_lotes(${alvo})
    endif()
  endforeach()
  get_property(subpastas DIRECTORY ${pasta} PROPERTY SUBDIRECTORIES)
  foreach(subpasta IN LISTS subpastas)
    zolvek_lotes_em_tudo(${subpasta})
  endforeach()
endfunction()

# Line tables and function names are enough for backtraces, profiles and the
# sanitizers' reports, at a third less compile time than full debug information; a
# Debug build keeps it all. Only CMake's own default is replaced, never a value given
# on the command line.
if(CMAKE_CXX_FLAGS_RELWITHDEBINFO STREQUAL "-O2 -g -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG" CACHE STRING
    "Flags used by the CXX compiler during RELWITHDEBINFO builds." FORCE)
endif()

# LLVM's linker, where installed, links the test programs several times faster.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld ZOLVEK_TEM_LLD)
if(ZOLVEK_TEM_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# zolvek_soname(VARIAVEL BIBLIOTECA PADRAO): the soname of the shared library at path
# BIBLIOTECA (the name the loader looks for at run time), or PADRAO when it cannot be read.
function(zolvek_soname variavel biblioteca padrao)
  set(nome ${padrao})
  if(CMAKE_OBJDUMP AND EXISTS "${biblioteca}")
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p "${biblioteca}" OUTPUT_VARIABLE saida
      ERROR_QUIET RESULT_VARIABLE resultado)
    if(resultado EQUAL 0 AND saida MATCHES "SONAME +([^ \n]+)")
      set(nome ${CMAKE_MATCH_1})
    endif()
  endif()
  set(${variavel} ${nome} PARENT_SCOPE)
endfunction()
