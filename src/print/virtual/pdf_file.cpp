#include "print/virtual/pdf_file.h"

#include <cairo-pdf.h>

#include <cstdio>

namespace morvane {

bool PdfFile::open(const std::string& path, double width_pt, double height_pt,
                   const std::string& title) {
  close();
  cairo_surface_t* s = cairo_pdf_surface_create(path.c_str(), width_pt, height_pt);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return false;
  }
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATOR, "Morvane");
  surface_ = s;
  path_ = path;
  pages_ = 0;
  return true;
}

void PdfFile::add_page(cairo_surface_t* sheet) {
  if (surface_ == nullptr) return;
  cairo_t* cr = cairo_create(surface_);
  cairo_set_source_surface(cr, sheet, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_show_page(surface_);
  ++pages_;
}

bool PdfFile::close() {
  if (surface_ == nullptr) return false;
  cairo_surface_finish(surface_);
  const bool ok = cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS && pages_ > 0;
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (!ok) std::remove(path_.c_str());
  return ok;
}

void PdfFile::discard() {
  pages_ = 0;
  close();
}

}  // namespace morvane
