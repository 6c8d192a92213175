# Shared helpers for the build of every area.

# Warnings of our own code; third-party headers are included as system headers.
function(zolvek_avisos alvo)
  target_compile_options(${alvo} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(ZOLVEK_WERROR)
    target_compile_options(${alvo} PRIVATE -Werror)
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
