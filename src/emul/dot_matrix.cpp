// Placeholder until the dot-matrix emulation lands: bytes pass through.
#include "emul/emulation.h"
#include "page/engine.h"

namespace morvane {

std::uint8_t dot_matrix_byte(Engine&, PageState&, std::uint8_t byte) { return byte; }
void bit_image_start(Engine& e) { e.bit_image.exists = true; }
void bit_image_column(Engine&, PageState&, std::uint8_t) {}
void release_bit_image(Engine& e) { e.bit_image.exists = false; }

}  // namespace morvane
