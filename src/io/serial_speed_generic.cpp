// Systems whose speed_t is the rate itself (the BSDs, macOS) take any rate
// through the ordinary calls.
#include <termios.h>

#include <cstdint>

namespace morvane {

bool set_custom_baud_rate(int fd, std::uint32_t rate) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return false;
  if (cfsetispeed(&settings, rate) != 0 || cfsetospeed(&settings, rate) != 0) return false;
  return tcsetattr(fd, TCSANOW, &settings) == 0;
}

std::uint32_t read_baud_rate(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return 0;
  return static_cast<std::uint32_t>(cfgetispeed(&settings));
}

}  // namespace morvane
