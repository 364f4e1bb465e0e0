// A hand-edited settings file, any bytes at all: reading it never crashes or
// reads outside a buffer, the face name always ends inside its array, and
// writing the settings back into that same text and reading them again gives
// every number unchanged (the editor never loses or misplaces a key), and the
// face name too where a write can store it as it is.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/ini_text.h"
#include "config/settings.h"

namespace {

using namespace morvane;

// The settings file's profile over text in memory, reading and editing it
// with the same functions as the file-backed profile.
class TextProfile final : public Profile {
 public:
  explicit TextProfile(std::string text) : text_(std::move(text)) {}
  std::int32_t get_int(const std::string& section, const std::string& key, std::int32_t default_value) override {
    return ini::int_from_value(get_string(section, key, "", ini::kIntReadBuffer), default_value);
  }
  std::string get_string(const std::string& section, const std::string& key, const std::string& default_value,
                         std::size_t buffer_size) override {
    const auto value = ini::find_value(text_, section, key);
    return ini::fit_buffer(value ? *value : ini::trimmed_default(default_value), buffer_size);
  }
  void write_string(const std::string& section, const std::string& key, const std::string& value) override {
    text_ = ini::set_value(text_, section, key, value);
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_settings: %s\n", what);
  std::abort();
}

bool same_numbers(const Settings& a, const Settings& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height && a.open == b.open &&
         a.lyn == b.lyn && a.com == b.com && a.parity == b.parity && a.stopbits == b.stopbits &&
         a.baudrate == b.baudrate && a.bytesize == b.bytesize && a.flowctrl == b.flowctrl &&
         a.printertype == b.printertype && a.printerview == b.printerview && a.printerenable == b.printerenable &&
         a.closedocument == b.closedocument && (a.font_italic != 0) == (b.font_italic != 0) &&
         a.font_height == b.font_height && a.font_weight == b.font_weight;
}

// A name that a write stores as it is: no control characters (a line break
// ends the value), no blanks at its ends and no quotes around it (a read
// drops those).
bool plain_name(const char* name) {
  const std::size_t n = std::strlen(name);
  for (std::size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(name[i]) < 0x20 || name[i] == 0x7f) return false;
  }
  return n > 0 && name[0] != ' ' && name[n - 1] != ' ' && name[0] != '"' && name[0] != '\'';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TextProfile file(text);
  Settings loaded;
  load_settings(file, loaded);
  check(std::memchr(loaded.font_name, '\0', kFontNameSize) != nullptr, "face name not terminated");

  save_settings(file, loaded);
  Settings reloaded;
  load_settings(file, reloaded);
  check(same_numbers(loaded, reloaded), "a number changed on its way through the file");
  check(std::strcmp(loaded.font_name, reloaded.font_name) == 0 || !plain_name(loaded.font_name),
        "the face name changed on its way through the file");

  return 0;
}
