# Packs the demo payload into QNTXSetup.z: beside QNTXSetup.exe in the Windows build
# (bin/), in payload/ in the native build. Included from tools/, which defines the packer.
set(QNTX_PAYLOAD_MANIFEST ${CMAKE_SOURCE_DIR}/payload/QNTXSetup.manifest)
file(GLOB QNTX_PAYLOAD_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/payload/files/*)

if(WIN32)
  # The cross build packs with a packer built for this machine: packer.exe would need Wine.
  find_program(QNTX_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
  set(QNTX_HOST_PACKER ${CMAKE_BINARY_DIR}/host/packer)
  add_custom_command(OUTPUT ${QNTX_HOST_PACKER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${QNTX_HOST_CXX} -std=c++17 -O2 -I${CMAKE_SOURCE_DIR}/tools -I${CMAKE_SOURCE_DIR}
            ${PACKER_CORE_SOURCES} ${PACKER_MAIN_SOURCE} -o ${QNTX_HOST_PACKER}
    DEPENDS ${PACKER_CORE_SOURCES} ${PACKER_CORE_HEADERS} ${PACKER_MAIN_SOURCE}
    COMMENT "Building the packer for this machine"
    VERBATIM)
  set(QNTX_PAYLOAD_PACKER ${QNTX_HOST_PACKER})
  set(QNTX_PAYLOAD_PACKER_DEPENDS ${QNTX_HOST_PACKER})
  set(QNTX_DEMO_DATA_FILE ${CMAKE_BINARY_DIR}/bin/QNTXSetup.z)
else()
  set(QNTX_PAYLOAD_PACKER $<TARGET_FILE:packer>)
  set(QNTX_PAYLOAD_PACKER_DEPENDS packer)
  set(QNTX_DEMO_DATA_FILE ${CMAKE_BINARY_DIR}/payload/QNTXSetup.z)
endif()

add_custom_command(OUTPUT ${QNTX_DEMO_DATA_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/payload
  COMMAND ${QNTX_PAYLOAD_PACKER} build ${QNTX_PAYLOAD_MANIFEST} ${QNTX_DEMO_DATA_FILE}
  DEPENDS ${QNTX_PAYLOAD_MANIFEST} ${QNTX_PAYLOAD_FILES} ${QNTX_PAYLOAD_PACKER_DEPENDS}
  COMMENT "Packing the demo payload"
  VERBATIM)
add_custom_target(demo_payload ALL DEPENDS ${QNTX_DEMO_DATA_FILE})
set(QNTX_DEMO_DATA_FILE ${QNTX_DEMO_DATA_FILE} PARENT_SCOPE)
