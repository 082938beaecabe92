# The brand the launcher is built for: a folder with brand.toml and optional
# art/ and forms/ overrides (default: brands/default). scripts/brand.py checks
# it and writes what the build takes from it into build/<preset>/brand; a bad
# value stops the configure with one line naming the file, line and key.
set(LUMADREL_BRAND "${PROJECT_SOURCE_DIR}/brands/default" CACHE PATH "The brand folder the launcher is built for")
get_filename_component(LUMADREL_BRAND_DIR "${LUMADREL_BRAND}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
set(LUMADREL_RELEASE_VERSION "" CACHE STRING "A release's version, in place of the brand's own (X.Y.Z)")
set(LUMADREL_BRAND_OUT ${CMAKE_BINARY_DIR}/brand)
set(brand_version)
if(LUMADREL_RELEASE_VERSION)
  set(brand_version --version ${LUMADREL_RELEASE_VERSION})
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/brand.py ${LUMADREL_BRAND_DIR} ${LUMADREL_BRAND_OUT}
          ${brand_version}
  RESULT_VARIABLE brand_result
  ERROR_VARIABLE brand_error)
if(NOT brand_result EQUAL 0)
  # Printed as it is (error messages are re-wrapped), then the stop.
  string(STRIP "${brand_error}" brand_error)
  message(NOTICE "${brand_error}")
  message(FATAL_ERROR "The brand ${LUMADREL_BRAND_DIR} is refused.")
endif()
include(${LUMADREL_BRAND_OUT}/brand.cmake)

# The brand's settings (brand/brand_settings.h), shared by the launcher and the updater.
add_library(lumadrel_brand INTERFACE)
target_include_directories(lumadrel_brand INTERFACE ${LUMADREL_BRAND_OUT}/generated)
