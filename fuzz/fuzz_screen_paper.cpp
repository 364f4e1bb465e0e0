// Arbitrary bytes and user operations between them: the printed sheets must
// show exactly what the screen pages showed, down to the ink of labels and
// dashed lines on the two cairo surfaces. Bytes 0xF6 to 0xFD are the
// operations (0xF8 x feeds x itself): F6 n chooses printer n, F7 n a page
// font of height 8 + n % 40, F9 n drops the print-line marker on line n, FA
// and FB choose an emulation, FC ends the page as at the end of input, FD
// clears the page. The first byte chooses the emulation the run starts in
// (bit 0), one document per page (bit 1) and the plotter's stroke face
// (bit 2).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/screen_paper.h"
#include "support/surface_compare.h"

namespace {

using morvane::test::Step;
using morvane::test::StepKind;

void flush(morvane::test::ScriptRun& run, std::string& pending) {
  if (pending.empty()) return;
  run.run({StepKind::bytes, pending, 0});
  pending.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto face = (data[0] & 4) != 0 ? morvane::PlotterFace::strokes : morvane::PlotterFace::truetype;
  morvane::test::ScriptRun run(data[0] & 1, (data[0] & 2) != 0, face);
  std::string pending;
  for (std::size_t i = 1; i < size; ++i) {
    const std::uint8_t b = data[i];
    const bool has_next = i + 1 < size;
    if (b == 0xF8 && has_next) {
      pending += static_cast<char>(data[++i]);
    } else if ((b == 0xF6 || b == 0xF7) && has_next) {
      flush(run, pending);
      const std::uint8_t n = data[++i];
      if (b == 0xF6) run.run({StepKind::printer, {}, n});
      else run.run({StepKind::font, {}, static_cast<std::uint32_t>(8 + n % 40)});
    } else if (b == 0xF9 && has_next) {
      flush(run, pending);
      run.run({StepKind::drag, {}, static_cast<std::uint32_t>(data[++i] % 80)});
    } else if (b == 0xFA || b == 0xFB) {
      flush(run, pending);
      run.run({StepKind::emulation, {}, static_cast<std::uint32_t>(b - 0xFA)});
    } else if (b == 0xFC) {
      flush(run, pending);
      run.run({StepKind::end_now, {}, 0});
    } else if (b == 0xFD) {
      flush(run, pending);
      run.run({StepKind::clear, {}, 0});
    } else {
      pending += static_cast<char>(b);
    }
  }
  flush(run, pending);
  run.run({StepKind::end_now, {}, 0});
  const morvane::test::ScreenAndPaper result = run.result();
  std::string difference = morvane::test::screen_paper_difference(result);
  for (std::size_t p = 0; difference.empty() && p < result.screen.size(); ++p)
    difference = morvane::test::page_ink_difference(result.screen[p]);
  if (!difference.empty()) {
    std::fprintf(stderr, "fuzz_screen_paper: the paper differs from the screen: %s\n", difference.c_str());
    std::abort();
  }
  return 0;
}
