// Interpreter states of the two emulations: one instance each per run,
// shared by the screen page and the printer page.
#pragma once

#include <array>
#include <cstdint>

namespace morvane {

struct DotMatrixState {
  std::uint8_t esc_pending = 0;
  std::uint8_t param_pending = 0;
  std::uint8_t count_high_pending = 0;
  std::uint8_t tab_collecting = 0;
  std::int32_t esc_command = 0;
  std::int32_t esc_a_value = 0;
  std::int32_t count_low = 0;
  std::uint32_t bit_image_count = 0;
  std::int32_t bit_image_mode = 0;
  std::int32_t bit_image_received = 0;
};

constexpr int kBitImageWidth = 1920;

// The bit-image buffer: one byte per column, bit 7 the top dot. The printer
// page puts the columns where the sheet showed them: column k of the run
// that starts at column `run_first` goes to (run_x + k, run_y). A new run
// starts only where the print position moved while the image was arriving.
struct BitImageBuffer {
  bool exists = false;
  std::array<std::uint8_t, kBitImageWidth> columns{};
  std::int32_t run_first = 0;
  std::uint32_t run_x = 0;
  std::uint32_t run_y = 0;
};

constexpr int kPlotLineMax = 132;

struct PlotterState {
  std::uint8_t plot_esc = 0;
  std::uint8_t plot_param = 0;
  std::uint8_t plot_collecting = 0;
  std::uint8_t plot_line_open = 0;
  std::int32_t plot_command = 0;
  std::array<char, kPlotLineMax + 1> plot_line{};
  std::int32_t plot_length = 0;
};

}  // namespace morvane
