# SPDX-License-Identifier: GPL-3.0-or-later
# Precompiled Qt and standard headers. Parsing them is half of most compiles here, and CI builds
# the tree twice on two cores, so every target reuses one of three precompiled sets instead of
# building its own: core (Qt Core), gui (and Qt Gui) and widgets (and Qt Widgets). A target
# takes the set of the highest Qt module its layer may use, and a test that of what it links.
# GCC rejects a set whose flags differ from the target's (-Winvalid-pch), so a mismatch fails the
# build instead of silently parsing everything again.
option(TOLVO_PCH "Precompile the common Qt and standard headers" ON)

if(TOLVO_PCH)
  file(WRITE ${CMAKE_BINARY_DIR}/tolvo_pch_donor.cpp "// The target that owns a precompiled header set.\n")
  foreach(kind core gui widgets)
    add_library(tolvo_pch_${kind} STATIC ${CMAKE_BINARY_DIR}/tolvo_pch_donor.cpp)
    target_precompile_headers(tolvo_pch_${kind} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch/${kind}.h)
  endforeach()
  target_link_libraries(tolvo_pch_core PRIVATE Qt6::Core)
  target_link_libraries(tolvo_pch_gui PRIVATE Qt6::Gui)
  target_link_libraries(tolvo_pch_widgets PRIVATE Qt6::Widgets)
endif()

# tolvo_use_pch(<kind> <targets...>)
function(tolvo_use_pch kind)
  if(TOLVO_PCH)
    foreach(target ${ARGN})
      target_precompile_headers(${target} REUSE_FROM tolvo_pch_${kind})
    endforeach()
  endif()
endfunction()
