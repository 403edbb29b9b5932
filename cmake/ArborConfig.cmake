# find_package(Arbor CONFIG) for hosts of the tree-list control. A host creates the control by class
# identifier or ProgID once libarbor.so is registered (regsvr), so it links the platform layer, not
# the control's library:
#
#   find_package(Arbor CONFIG REQUIRED)
#   target_link_libraries(myhost PRIVATE Arbor::Arbor)
#
# Arbor::Arbor gives the "arbor/..." and "platform/..." headers, C++20 and libbidlark-platform.so.
# Arbor_LIBRARY is the control's library (to register it), Arbor_TYPELIB its type library file.
include(CMakeFindDependencyMacro)
find_dependency(Qt6 COMPONENTS Core Gui Widgets Network)

get_filename_component(_arbor_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
set(Arbor_LIBRARY "${_arbor_prefix}/lib/bidlark/libarbor.so")
set(Arbor_TYPELIB "${_arbor_prefix}/lib/bidlark/arbor.tlb")
set(Arbor_INCLUDE_DIR "${_arbor_prefix}/include/bidlark")

if(NOT TARGET Arbor::Platform)
  add_library(Arbor::Platform SHARED IMPORTED)
  set_target_properties(Arbor::Platform PROPERTIES
    IMPORTED_LOCATION "${_arbor_prefix}/lib/bidlark/libbidlark-platform.so"
    IMPORTED_SONAME "libbidlark-platform.so"
    INTERFACE_INCLUDE_DIRECTORIES "${Arbor_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "Qt6::Core;Qt6::Gui;Qt6::Widgets;Qt6::Network"
    INTERFACE_COMPILE_FEATURES cxx_std_20)
  add_library(Arbor::Arbor INTERFACE IMPORTED)
  set_target_properties(Arbor::Arbor PROPERTIES INTERFACE_LINK_LIBRARIES Arbor::Platform)
endif()
unset(_arbor_prefix)
