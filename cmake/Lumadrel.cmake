# Build conventions shared by every folder.
#
# A folder's sources are globbed: *.cpp builds for both targets (the portable
# core), *_win32.cpp only for the Windows product. Portable sources never
# include <windows.h>; the host build is what keeps them honest.

if(WIN32)
  set(LUMADREL_WIN32 ON)
else()
  set(LUMADREL_WIN32 OFF)
endif()

# The Windows target: win32 (i686, the product) or win64 (x86_64, a test
# target for machines that cannot start 32-bit programs).
if(LUMADREL_WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LUMADREL_WINDOWS_TARGET win64)
  set(LUMADREL_MINGW_TRIPLET x86_64-w64-mingw32)
elseif(LUMADREL_WIN32)
  set(LUMADREL_WINDOWS_TARGET win32)
  set(LUMADREL_MINGW_TRIPLET i686-w64-mingw32)
endif()

# Narrow literals are GBK bytes at run time; sources stay UTF-8. GB18030 encodes
# every GBK character with GBK's own bytes, and unlike GBK it also accepts the
# few non-GBK characters inside the standard library headers (<chrono>'s µ).
add_compile_options(-fexec-charset=GB18030 -finput-charset=UTF-8 -Wall -Wextra -Wno-unused-parameter)

if(LUMADREL_WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # No link time in the programs and no checkout folder in what the compiler
  # records: the same sources give the same bytes wherever they are built.
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
endif()

if(LUMADREL_WINDOWS_TARGET STREQUAL "win64")
  # The window template keeps object pointers, by-reference arguments and
  # handler entries in 32-bit slots. The 64-bit test target keeps its image
  # low and its addresses without high entropy so that those values fit;
  # every narrowing is still checked (rt::NarrowToSlot) and stops loudly when
  # one does not. The product, i686, has 32-bit pointers throughout.
  add_link_options(-Wl,--image-base,0x400000 -Wl,--disable-high-entropy-va -Wl,--disable-dynamicbase)
endif()

if(LUMADREL_SANITIZE AND NOT LUMADREL_WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# lumadrel_add_library(<target> [FOLDERS <subfolders...>] [LINK <libs...>] [WIN32_LINK <libs...>])
# Sources come from the current folder, or from each of FOLDERS below it.
function(lumadrel_add_library target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;LINK;WIN32_LINK" ${ARGN})
  if(NOT ARG_FOLDERS)
    set(ARG_FOLDERS .)
  endif()
  set(sources)
  foreach(folder ${ARG_FOLDERS})
    file(GLOB found CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.c)
    list(APPEND sources ${found})
  endforeach()
  if(NOT LUMADREL_WIN32)
    list(FILTER sources EXCLUDE REGEX "_win32\\.(cpp|c)$")
  endif()
  if(sources)
    set(scope PUBLIC)
    add_library(${target} STATIC ${sources})
  else()
    set(scope INTERFACE)
    add_library(${target} INTERFACE)
  endif()
  target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR})
  if(ARG_LINK)
    target_link_libraries(${target} ${scope} ${ARG_LINK})
  endif()
  if(LUMADREL_WIN32 AND ARG_WIN32_LINK)
    target_link_libraries(${target} ${scope} ${ARG_WIN32_LINK})
  endif()
endfunction()

# lumadrel_add_tests(<name> [RECURSE] LINK <libs...>)
# Tests of tests/<folder> (with RECURSE also the folders below it, but
# support/): *_test.cpp on both targets, *_win32_test.cpp only under Wine.
# Each test case is its own CTest test, so a crash or a process exit inside
# one case is reported against that case.
function(lumadrel_add_tests name)
  cmake_parse_arguments(ARG "RECURSE" "TIMEOUT" "LINK" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    list(FILTER sources EXCLUDE REGEX "/support/")
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  endif()
  if(NOT LUMADREL_WIN32)
    list(FILTER sources EXCLUDE REGEX "_win32_test\\.cpp$")
  endif()
  if(NOT sources)
    return()
  endif()
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  if(NOT LUMADREL_WIN32)
    list(FILTER support EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  add_executable(${name} ${sources} ${support})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    LUMADREL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
