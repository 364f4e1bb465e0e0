// What securing a printed page costs in the PDF that is valid after every
// page: at page 1 and after 1,000 pages, with and without putting each page
// on the disk itself, and the memory a 1,000-page file takes.
#include <benchmark/benchmark.h>

#include <cairo-pdf.h>
#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "print/virtual/pdf_file.h"

namespace {

cairo_status_t to_string(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// Page `n` of a listing as the virtual printer hands it over: 38 numbered
// lines in the page font, as one document. Pages use their digits in other
// orders, so each has a font subset of its own, as real listings do.
std::string listing_page(int n) {
  std::string pdf;
  cairo_surface_t* s = cairo_pdf_surface_create_for_stream(to_string, &pdf, 612, 792);
  cairo_t* cr = cairo_create(s);
  cairo_select_font_face(cr, "Liberation Mono", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 17.28);
  for (int line = 0; line < 38; ++line) {
    char text[80];
    std::snprintf(text, sizeof text, "%5d LISTING LINE OF THE BENCHMARK LISTING LINE OF THE", n * 38 + line);
    cairo_move_to(cr, 18, 30 + line * 19.44);
    cairo_show_text(cr, text);
  }
  cairo_destroy(cr);
  cairo_surface_finish(s);
  cairo_surface_destroy(s);
  return pdf;
}

std::string bench_file() {
  return (std::filesystem::temp_directory_path() / ("morvane-bench-pdf-" + std::to_string(::getpid()) + ".pdf"))
      .string();
}

// Resident memory in kB, from the kernel's count of pages.
long resident_kb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Distinct pages, more than a run of the benchmark takes: no page repeats
// an earlier one (which the file would not write again).
const std::vector<std::string>& pages() {
  static const std::vector<std::string> made = [] {
    std::vector<std::string> v;
    for (int n = 0; n < 1100; ++n) v.push_back(listing_page(n + 1));
    return v;
  }();
  return made;
}

// Adding one page after `state.range(0)` pages; state.range(1): synced.
void BM_SecurePage(benchmark::State& state) {
  pages();  // made before the clock runs
  const std::string path = bench_file();
  morvane::PdfFile pdf;
  std::string error;
  if (!pdf.open(path, morvane::PdfFile::Naming::replace, state.range(1) != 0, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::size_t next = 0;
  for (int i = 0; i < state.range(0) - 1; ++i) pdf.add_page(pages()[next++ % pages().size()], error);
  for (auto _ : state) {
    if (!pdf.add_page(pages()[next++ % pages().size()], error)) state.SkipWithError(error.c_str());
  }
  state.counters["file_kB_per_page"] = static_cast<double>(std::filesystem::file_size(path)) / 1024 /
                                       static_cast<double>(pdf.pages());
  pdf.close(error);
  std::filesystem::remove(path);
}
BENCHMARK(BM_SecurePage)
    ->ArgsProduct({{1, 1000}, {0, 1}})
    ->ArgNames({"at_page", "synced"})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(50);

// The memory a session takes over 1,000 pages: what stays is the path of the
// page tree and the page being added, never the pages before.
void BM_ThousandPageSession(benchmark::State& state) {
  pages();
  for (auto _ : state) {
    const std::string path = bench_file();
    morvane::PdfFile pdf;
    std::string error;
    pdf.open(path, morvane::PdfFile::Naming::replace, false, error);
    pdf.add_page(pages()[0], error);
    const long after_first = resident_kb();
    for (int i = 1; i < 1000; ++i) pdf.add_page(pages()[i % pages().size()], error);
    state.counters["resident_growth_kB"] = static_cast<double>(resident_kb() - after_first);
    pdf.close(error);
    std::filesystem::remove(path);
  }
}
BENCHMARK(BM_ThousandPageSession)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
