// What the feed-loop benchmarks draw on: the screen sheet of the build, the
// cairo image here and GDI's memory bitmap in the Windows build (the surface
// the desktop program draws on), and the benchmark library or, where there
// is none, the small stand-in beside this file.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "gfx/surface.h"

#ifdef _WIN32
#include "mini_benchmark.h"
#include "gfx/gdi/gdi_surface.h"
#else
#include <benchmark/benchmark.h>

#include "gfx/cairo/cairo_sheet.h"
#endif

namespace morvane::bench {

#ifdef _WIN32
// The Windows build draws text in TrueType only: no dot face.
inline std::unique_ptr<Surface> make_sheet(std::int32_t width, std::int32_t height, bool = false) {
  return GdiSurface::create_sheet(nullptr, width, height);
}
#else
inline std::unique_ptr<Surface> make_sheet(std::int32_t width, std::int32_t height, bool dots = false) {
  return std::make_unique<CairoSheet>(width, height, dots ? Face::dots : Face::truetype);
}
#endif

// Where the spool file goes: MORVANE_BENCH_DIR, else the system's folder
// for temporary files.
inline std::string spool_dir() {
  const char* dir = std::getenv("MORVANE_BENCH_DIR");
  if (dir != nullptr && *dir != 0) return dir;
  std::error_code ec;
  const auto tmp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string(".") : tmp.string();
}

}  // namespace morvane::bench
