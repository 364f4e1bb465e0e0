// One PDF output file of the virtual printer, written sheet by sheet.
#pragma once

#include <cairo.h>

#include <string>

namespace morvane {

class PdfFile {
 public:
  PdfFile() = default;
  ~PdfFile() { close(); }
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  // Creates (or truncates) the file; false when it cannot be written.
  bool open(const std::string& path, double width_pt, double height_pt, const std::string& title);
  bool is_open() const { return surface_ != nullptr; }
  // Appends a sheet drawn on a recording surface of the page's size.
  void add_page(cairo_surface_t* sheet);
  int pages() const { return pages_; }
  const std::string& path() const { return path_; }
  // Completes the file. A file without sheets is removed instead, so that
  // no empty document is left behind. True when a complete file remains.
  bool close();
  // Abandons the file and removes it.
  void discard();

 private:
  cairo_surface_t* surface_ = nullptr;
  std::string path_;
  int pages_ = 0;
};

}  // namespace morvane
