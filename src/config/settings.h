// The program's persistent settings: section "Morvane" (window placement,
// channel and port choice, emulation and printing switches) and section
// "font" (the page's text font). Read once at start when the file exists,
// written in full once at the normal end of a run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/profile.h"
#include "io/port_settings.h"

namespace morvane {

// The window system's "choose a position for me" value (CW_USEDEFAULT).
constexpr std::int32_t kUseDefaultPosition = INT32_MIN;

// Read default of the four window keys: a key holding it leaves the built-in value.
constexpr std::int32_t kNoWindowValue = 9999;

constexpr std::int32_t kFontHeightNoFile = -24;
constexpr std::int32_t kFontHeightNoKey = -12;

// Size of the face-name buffer, and of the buffer the name is read through.
constexpr std::size_t kFontNameSize = 32;
constexpr std::size_t kFontNameReadBuffer = 30;

// Values are kept exactly as read, in range or not: whoever uses one as an
// index goes through checked_index.
struct Settings {
  std::int32_t left = kUseDefaultPosition;
  std::int32_t top = kUseDefaultPosition;
  std::int32_t width = 600;
  std::int32_t height = 432;
  std::int32_t open = 0;
  std::int32_t lyn = 1;
  std::int32_t com = 0;
  std::int32_t parity = 0;
  std::int32_t stopbits = 0;
  std::int32_t baudrate = 6;
  std::int32_t bytesize = 1;
  std::int32_t flowctrl = 0;
  std::int32_t printertype = 0;
  std::int32_t printerview = 0;
  std::int32_t printerenable = 1;
  std::int32_t closedocument = 1;
  std::int32_t font_italic = 0;  // any nonzero value means italic
  std::int32_t font_height = kFontHeightNoFile;
  std::int32_t font_weight = 400;
  char font_name[kFontNameSize] = "Courier New";
};

// The five port settings ("baudrate", "bytesize", "parity", "stopbits",
// "flowctrl") as the serial port takes them, and back.
PortSettings port_settings_of(const Settings& settings);
void store_port_settings(Settings& settings, const PortSettings& port);

// Reads every key in the file's order into settings; keys the file lacks get
// their documented defaults. Call it only when the settings file exists.
void load_settings(Profile& profile, Settings& settings);

// Writes every key in order, "Morvane" first, then "font".
void save_settings(Profile& profile, const Settings& settings);

}  // namespace morvane
