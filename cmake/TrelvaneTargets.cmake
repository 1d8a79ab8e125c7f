# Common flags and the helpers that declare one library per folder.

# -Wnon-virtual-dtor is left out: COM interfaces have no virtual destructor by design, and
# -Wdelete-non-virtual-dtor (in -Wall) still catches deletion through one.
set(TRELVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wconversion -Wsign-conversion
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Werror)

# GCC 12 reports overlapping copies inside std::string's operator+ where inlining at -O2 and
# above leaves it a range it cannot bound (GCC bug 105329); the copies are the library's own.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND TRELVANE_WARNINGS -Wno-restrict)
endif()

add_library(trelvane_options INTERFACE)
target_compile_options(trelvane_options INTERFACE ${TRELVANE_WARNINGS})
target_include_directories(trelvane_options INTERFACE ${PROJECT_SOURCE_DIR})

if(TRELVANE_SANITIZE)
  set(TRELVANE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  target_compile_options(trelvane_options INTERFACE ${TRELVANE_SANITIZER_FLAGS})
  target_link_options(trelvane_options INTERFACE ${TRELVANE_SANITIZER_FLAGS})
endif()

if(WIN32)
  # Unicode Win32 entry points; no min/max macros; a self-contained binary so that Wine and
  # Excel need no MinGW runtime DLLs beside it.
  target_compile_definitions(trelvane_options INTERFACE UNICODE _UNICODE NOMINMAX
                             WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
  target_link_options(trelvane_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# trelvane_library(NAME SOURCES... [DEPENDS libs...] [WIN32_SOURCES ...] [POSIX_SOURCES ...])
# Declares the static library trelvane_NAME for one folder of the tree.
function(trelvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;WIN32_SOURCES;POSIX_SOURCES;SYSTEM_LIBS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(WIN32)
    list(APPEND sources ${ARG_WIN32_SOURCES})
  else()
    list(APPEND sources ${ARG_POSIX_SOURCES})
  endif()
  add_library(trelvane_${name} STATIC ${sources})
  target_link_libraries(trelvane_${name} PUBLIC trelvane_options ${ARG_DEPENDS} ${ARG_SYSTEM_LIBS})
endfunction()

# trelvane_benchmark(NAME SOURCES... DEPENDS libs...): a Google Benchmark binary, native builds
# only. Benchmarks are run by hand (scripts/benchmark.sh), never as tests.
function(trelvane_benchmark name)
  if(CMAKE_CROSSCOMPILING OR NOT TRELVANE_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE trelvane_options benchmark::benchmark ${ARG_DEPENDS})
  target_compile_definitions(${name} PRIVATE TRELVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()
