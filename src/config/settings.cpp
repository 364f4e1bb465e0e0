#include "config/settings.h"

#include <cstring>
#include <string>

namespace morvane {
namespace {

const std::string kMain = "Morvane";
const std::string kFont = "font";
const char* const kDefaultFontName = "Courier New";

// A window key counts only when the file gives a value other than 9999.
void load_window_key(Profile& profile, const char* key, std::int32_t& field) {
  const std::int32_t v = profile.get_int(kMain, key, kNoWindowValue);
  if (v != kNoWindowValue) field = v;
}

void load_font_name(Profile& profile, Settings& s) {
  const std::string name = profile.get_string(kFont, "name", kDefaultFontName, kFontNameReadBuffer);
  const std::size_t n = name.size() < kFontNameSize - 1 ? name.size() : kFontNameSize - 1;
  std::memcpy(s.font_name, name.data(), n);
  s.font_name[n] = '\0';
}

void save_int(Profile& profile, const std::string& section, const char* key, std::int32_t v) {
  profile.write_string(section, key, std::to_string(v));
}

}  // namespace

void load_settings(Profile& profile, Settings& s) {
  load_window_key(profile, "left", s.left);
  load_window_key(profile, "top", s.top);
  load_window_key(profile, "width", s.width);
  load_window_key(profile, "height", s.height);
  s.open = profile.get_int(kMain, "open", 0);
  s.lyn = profile.get_int(kMain, "lyn", 1);
  s.com = profile.get_int(kMain, "com", 0);
  s.parity = profile.get_int(kMain, "parity", 0);
  s.stopbits = profile.get_int(kMain, "stopbits", 0);
  s.baudrate = profile.get_int(kMain, "baudrate", 6);
  s.bytesize = profile.get_int(kMain, "bytesize", 1);
  s.flowctrl = profile.get_int(kMain, "flowctrl", 0);
  s.printertype = profile.get_int(kMain, "printertype", s.printertype);
  s.printerview = profile.get_int(kMain, "printerview", s.printerview);
  s.printerenable = profile.get_int(kMain, "printerenable", s.printerenable);
  s.closedocument = profile.get_int(kMain, "closedocument", s.closedocument);
  s.font_italic = profile.get_int(kFont, "italic", 0);
  s.font_height = profile.get_int(kFont, "height", kFontHeightNoKey);
  s.font_weight = profile.get_int(kFont, "weight", 400);
  load_font_name(profile, s);
}

void save_settings(Profile& profile, const Settings& s) {
  save_int(profile, kMain, "left", s.left);
  save_int(profile, kMain, "top", s.top);
  save_int(profile, kMain, "width", s.width);
  save_int(profile, kMain, "height", s.height);
  save_int(profile, kMain, "open", s.open);
  save_int(profile, kMain, "lyn", s.lyn);
  save_int(profile, kMain, "com", s.com);
  save_int(profile, kMain, "parity", s.parity);
  save_int(profile, kMain, "stopbits", s.stopbits);
  save_int(profile, kMain, "baudrate", s.baudrate);
  save_int(profile, kMain, "bytesize", s.bytesize);
  save_int(profile, kMain, "flowctrl", s.flowctrl);
  save_int(profile, kMain, "printertype", s.printertype);
  save_int(profile, kMain, "printerview", s.printerview);
  save_int(profile, kMain, "printerenable", s.printerenable);
  save_int(profile, kMain, "closedocument", s.closedocument);
  save_int(profile, kFont, "italic", s.font_italic != 0 ? 1 : 0);
  save_int(profile, kFont, "height", s.font_height);
  save_int(profile, kFont, "weight", s.font_weight);
  // The name array may have been filled without a terminator: never read past it.
  const void* end = std::memchr(s.font_name, '\0', kFontNameSize);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - s.font_name)
                            : kFontNameSize;
  profile.write_string(kFont, "name", std::string(s.font_name, n));
}

PortSettings port_settings_of(const Settings& s) {
  return {s.baudrate, s.bytesize, s.parity, s.stopbits, s.flowctrl};
}

void store_port_settings(Settings& s, const PortSettings& p) {
  s.baudrate = p.baudrate;
  s.bytesize = p.bytesize;
  s.parity = p.parity;
  s.stopbits = p.stopbits;
  s.flowctrl = p.flowctrl;
}

}  // namespace morvane
