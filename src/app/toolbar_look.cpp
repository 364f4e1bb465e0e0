#include "app/toolbar_look.h"

namespace morvane {

namespace {

bool is_press(std::uint32_t action, std::uint32_t state) {
  return action == kDrawSelect && state != kStateFocus;
}

std::uint32_t pressed_if(bool pressed) { return pressed ? kLookPressed : 0; }

std::uint32_t look_when_idle(const LookRule& rule, std::uint32_t action, std::uint32_t state,
                             const LookState& now) {
  const bool press = is_press(action, state);
  switch (rule.kind) {
    case LookKind::printer:
      return (now.printer_enabled != 0 ? 1u : 0u) + pressed_if(press);
    case LookKind::print_action:
      return now.printer_enabled == 0 ? kLookFlat : pressed_if(press);
    case LookKind::emulation:
      if (action == kDrawSelect) return pressed_if(press);
      return pressed_if(now.emulation == static_cast<Emulation>(rule.value));
    case LookKind::pen:
      if (now.emulation != Emulation::plotter) return kLookFlat;
      return pressed_if(now.pen_color == rule.value);
    case LookKind::none:
      break;
  }
  return pressed_if(press);
}

}  // namespace

std::uint32_t look_code(const LookRule& rule, std::uint32_t action, std::uint32_t state,
                        const LookState& now) {
  const std::uint32_t code = look_when_idle(rule, action, state, now);
  if (!now.busy || (code & 0xF0) == (kLookFlat & 0xF0)) return code;
  return (code & kLookSlotMask) | (kLookFlat & 0xF0) | kLookDimmed;
}

bool button_enabled(const LookRule& rule, const LookState& now) {
  if (now.busy) return false;
  switch (rule.kind) {
    case LookKind::print_action: return now.printer_enabled != 0;
    case LookKind::pen: return now.emulation == Emulation::plotter;
    default: return true;
  }
}

}  // namespace morvane
