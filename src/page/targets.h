// The two pages the feed loop lays bytes out on: the screen page on the
// sheet, and the printer page on the printer's surface when an ended page is
// replayed. What the two do differently is done by their target, so that
// neither the feed loop nor the interpreters ask which page they have.
#pragma once

#include <cstdint>

#include "emul/interpreters.h"

namespace morvane {

struct Engine;

class FeedTarget : public PageTarget {
 public:
  FeedTarget(Engine& e, PageState& page) : PageTarget(page), e_(e) {}

  const FontDesc& current_font() const override;

  // The byte is about to be interpreted on this page.
  virtual void byte_arrives(std::uint8_t byte) = 0;
  // The page is full or fed out; both pages then go on at their top.
  virtual void page_ends() = 0;
  // A run of bytes has been laid out.
  virtual void run_ends() = 0;

 protected:
  Engine& e_;
};

// Every byte is spooled and shown as it arrives; an ended page is printed
// and the sheet starts blank.
class ScreenTarget final : public FeedTarget {
 public:
  explicit ScreenTarget(Engine& e);
  Surface* drawing_surface() override;
  void image_column(Interpreters& in, std::int32_t index) override;
  void image_complete(Interpreters&, std::uint32_t) override {}
  void byte_arrives(std::uint8_t byte) override;
  void page_ends() override;
  void run_ends() override;
};

// Draws only inside an open print document, starting the sheet at the first
// drawing; the replay itself spools, prints and shows nothing.
class PrinterTarget final : public FeedTarget {
 public:
  explicit PrinterTarget(Engine& e);
  Surface* drawing_surface() override;
  void image_column(Interpreters& in, std::int32_t index) override;
  void image_complete(Interpreters& in, std::uint32_t received) override;
  void byte_arrives(std::uint8_t) override {}
  void page_ends() override {}
  void run_ends() override {}
};

}  // namespace morvane
