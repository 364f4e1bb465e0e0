// Sheets, PNG files and printers for the command-line program. The drawing
// backend differs by platform (cairo, or GDI on Windows); this is what the
// program asks of it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/options.h"
#include "gfx/image_sheet.h"
#include "gfx/surface.h"
#include "print/printer.h"

namespace morvane::cli {

// The virtual printer the options describe and where its documents go.
struct PrinterSetup {
  Paper paper = Paper::letter;
  int dpi = 600;
  int offset = 150;
  std::optional<std::string> pdf_path;  // every document of the run into this file
  bool print = false;                   // each document to the system print queue
  std::string print_queue;              // empty: the default queue
  Face face = Face::truetype;           // of the printed pages
  // Every page on the disk itself before it is reported (a live session);
  // else the PDF is synced once, when it is completed.
  bool sync_each_page = true;
  bool wants_output() const { return pdf_path.has_value() || print; }
};

// The device capabilities of the virtual printer: paper in pixels at dpi, the
// same unprintable offset on every side. False when the offsets leave no
// printable area.
bool paper_caps(Paper paper, int dpi, int offset, DeviceCaps& caps);

// The paper a paper name gives: A4 or Letter as named (`exact`), otherwise
// the one of the two of its series (the ISO sizes: A4; the others: Letter).
struct PaperChoice {
  Paper paper = Paper::letter;
  bool exact = false;
};
PaperChoice paper_by_name(const std::string& name);

// The system's paper by its convention (libpaper: $PAPERSIZE, then the file
// $PAPERCONF or /etc/papersize); empty where there is none (the Windows
// build, which prints on Letter unless told otherwise).
std::string system_paper_name();

// A blank screen sheet of width x height page units, drawing in the face:
// the surface drawn on, and the same sheet by its own type, whose pixels
// the PNG pages and the window read.
struct ScreenSheet {
  std::unique_ptr<Surface> surface;
  ImageSheet* image = nullptr;
};
ScreenSheet make_sheet(std::uint32_t width, std::uint32_t height, Face face);

// The face the text of `font` is drawn in. `stand_in`: the font's own face
// is not installed (and no face is set up to stand for it), so the system's
// fixed-pitch face is drawn instead.
struct FaceUsed {
  std::string family;  // empty when no face could be found
  bool stand_in = false;
};
FaceUsed face_used(const FontDesc& font);

// Saves a sheet made by make_sheet as a PNG file, which replaces a file of
// that name only once it is complete (never written through a link); with
// `sync` it is on the disk itself when this returns. False with a reason.
bool save_sheet_png(ImageSheet& sheet, const std::string& path, bool sync, std::string& error);

// The printer of a run and what has to happen to its output at the end.
class OutputPrinter {
 public:
  virtual ~OutputPrinter() = default;
  virtual PrinterSystem& system() = 0;
  // After the last document has ended and every device is gone: completes the
  // files and hands them to the print queue. False with a reason when that
  // failed. `sheets` is the number of sheets the run printed; when it is 0,
  // a file found at the PDF's name when the run began is removed (so that
  // nothing looks like this run's result), and `removed_earlier` says so.
  virtual bool finish(int sheets, std::string& error, bool& removed_earlier) = 0;
};

// A printer that prints as the setup asks. When nothing is to be printed it
// only measures (its documents cannot start). Null with a reason when the
// platform cannot produce the output asked for, or the PDF cannot be
// written where it is asked for (checked before any work).
std::unique_ptr<OutputPrinter> make_output_printer(const PrinterSetup& setup, std::string& error);

// The print command for a queue ("lp", or "lp -d QUEUE").
std::string print_command(const std::string& queue);

}  // namespace morvane::cli
