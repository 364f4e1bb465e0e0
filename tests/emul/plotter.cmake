# The plotter emulation's tests (included by this directory's CMakeLists.txt).
morvane_test(emul_plotter_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotter_test.cpp
  LIBS morvane_core morvane_print_recording)

# The same drawing as pixels on the portable sheet.
if(NOT WIN32 AND TARGET morvane_gfx_cairo)
  morvane_test(emul_plotter_cairo_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotter_cairo_test.cpp
    LIBS morvane_core morvane_print_recording morvane_gfx_cairo)
  # fontconfig keeps a few bytes of its configuration for good.
  set_property(TEST emul_plotter_cairo_test APPEND PROPERTY ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()

# Labels and dashes as ink on the sheet and on paper.
if(NOT WIN32 AND TARGET morvane_gfx_cairo)
  morvane_test(emul_plotter_paper_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotter_paper_test.cpp
    LIBS morvane_core morvane_print_recording morvane_gfx_cairo morvane_gfx_damage)
  set_property(TEST emul_plotter_paper_test APPEND PROPERTY ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()

# Labels and text drawn with the pen.
morvane_test(emul_plotter_strokes_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotter_strokes_test.cpp
  LIBS morvane_core morvane_print_recording)
