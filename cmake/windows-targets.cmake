# QNTXSetup.exe and the library of its code that the Windows tests link against.

# Statically linked, no time stamp in the PE header: needs nothing but Windows' own DLLs
# and gives the same bytes for the same sources.
set(QNTX_WINDOWS_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
set(QNTX_WINDOWS_LIBS shell32 ole32 gdi32 user32 advapi32 kernel32)

file(GLOB QNTX_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp
  ${CMAKE_SOURCE_DIR}/install/*.cpp
  ${CMAKE_SOURCE_DIR}/uninstall/*.cpp
  ${CMAKE_SOURCE_DIR}/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/support/*.cpp
  ${CMAKE_SOURCE_DIR}/state/*.cpp
  ${CMAKE_SOURCE_DIR}/format/*.cpp)
list(REMOVE_ITEM QNTX_CORE_SOURCES ${CMAKE_SOURCE_DIR}/app/main.cpp)

add_library(qntx_core STATIC ${QNTX_CORE_SOURCES})
target_include_directories(qntx_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(qntx_core PUBLIC WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600)
target_link_libraries(qntx_core PUBLIC ${QNTX_WINDOWS_LIBS})

# The resources alone, so test programs that show the dialogs can carry them too.
add_library(qntx_resources OBJECT ${CMAKE_SOURCE_DIR}/resources/setup.rc)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/setup.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/resource.h ${CMAKE_SOURCE_DIR}/resources/dialogs.rc
  ${CMAKE_SOURCE_DIR}/resources/side.bmp ${CMAKE_SOURCE_DIR}/resources/setup.ico
  ${CMAKE_SOURCE_DIR}/resources/setup-small.ico ${CMAKE_SOURCE_DIR}/resources/setup.manifest)

add_executable(QNTXSetup WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp $<TARGET_OBJECTS:qntx_resources>)
target_link_libraries(QNTXSetup PRIVATE qntx_core)
# Shipped without its symbol table and debug sections (-s); the test programs keep theirs.
# Terminal-server aware: on a Remote Desktop Session Host, Windows must give setup the real
# Windows folder, where the machine-wide entry points, not a per-user one.
target_link_options(QNTXSetup PRIVATE ${QNTX_WINDOWS_LINK_OPTIONS} -s -Wl,--tsaware)
set_target_properties(QNTXSetup PROPERTIES OUTPUT_NAME QNTXSetup SUFFIX .exe
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
