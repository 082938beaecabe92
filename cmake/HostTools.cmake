# The host tools a Windows build needs while it builds (the form compiler),
# built with the host compiler from this same source tree.
include(ExternalProject)

set(LUMADREL_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(LUMADREL_FORMC ${LUMADREL_HOST_TOOLS_DIR}/tools/formc)

ExternalProject_Add(host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${LUMADREL_HOST_TOOLS_DIR}
  CMAKE_ARGS -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMADREL_TESTS=OFF -DLUMADREL_BENCHMARKS=OFF
             -DLUMADREL_HOST_TOOLS_ONLY=ON
  BUILD_COMMAND ninja formc formdump
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${LUMADREL_FORMC}
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD OFF)
