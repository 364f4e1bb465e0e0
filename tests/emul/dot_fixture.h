// The dot-matrix tests' view of a test engine: bytes through the interpreter
// alone, or through the whole feed loop in runs as the input poll sends them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "emul/emulation.h"
#include "support/engine_fixture.h"

namespace morvane::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes repeat(std::uint8_t byte, std::size_t n) { return Bytes(n, byte); }

constexpr std::uint8_t ESC = 27;

class DotRun : public test::EngineFixture {
 public:
  // Through the interpreter alone: the result of every byte, as the byte the
  // feed loop acts on (0 consumed, 10, 12, 13, or the character).
  Bytes interpret(const Bytes& bytes) { return interpret(engine.screen, bytes); }
  Bytes interpret(PageState& page, const Bytes& bytes) {
    ScreenTarget sheet(engine);
    PrinterTarget paper(engine);
    PageTarget& target = &page == &engine.printer ? static_cast<PageTarget&>(paper) : sheet;
    Bytes out;
    for (std::uint8_t b : bytes) {
      const ByteResult r = dot_matrix_byte(engine.interp, target, b);
      out.push_back(r.kind == ByteResult::Kind::consumed ? 0 : r.byte);
    }
    return out;
  }

  // Through the feed loop into the screen page, in runs of at most 256 bytes.
  void feed(const Bytes& bytes) {
    for (std::size_t i = 0; i < bytes.size(); i += 256) {
      const std::size_t n = std::min<std::size_t>(256, bytes.size() - i);
      feed_screen(engine, bytes.data() + i, n);
    }
  }
};

}  // namespace morvane::testing
