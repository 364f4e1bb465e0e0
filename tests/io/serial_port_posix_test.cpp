// The termios backend on a pseudo-terminal: the program's end is the pty's
// slave, the test plays the cable at the master.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "io/port_lock_posix.h"
#include "io/serial_port.h"
#include "io/serial_port_posix.h"
#include "io_test_support.h"

namespace morvane {
namespace {

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    path_ = name;
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    close(slave_);
  }
  termios slave_settings() {
    termios settings{};
    EXPECT_EQ(tcgetattr(slave_, &settings), 0);
    return settings;
  }
  void send(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    ASSERT_EQ(write(master_, bytes.data(), count), static_cast<ssize_t>(count));
    // Wait until the line discipline has queued all of it at our end.
    for (int tries = 0; tries < 200; ++tries) {
      int queued = 0;
      ioctl(slave_, FIONREAD, &queued);
      if (queued >= static_cast<int>(count)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FAIL() << "bytes did not arrive";
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::vector<std::string> messages_;
  SerialPort port_{[this](const std::string& text, const std::string&) { messages_.push_back(text); }};
};

TEST_F(PtyTest, ConfigurationIsAppliedAndTheOldOneRestored) {
  termios before = slave_settings();
  cfsetispeed(&before, B1200);
  cfsetospeed(&before, B1200);
  before.c_lflag |= ICANON | ECHO;
  before.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);
  ASSERT_EQ(tcsetattr(slave_, TCSANOW, &before), 0);

  PortSettings settings;
  settings.baudrate = 8;  // 19200
  settings.parity = 1;
  settings.stopbits = 2;
  settings.flowctrl = 2;
  port_.set_port_settings(settings);
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  termios during = slave_settings();
  EXPECT_EQ(cfgetispeed(&during), static_cast<speed_t>(B19200));
  EXPECT_TRUE(during.c_cflag & CSTOPB);
  EXPECT_TRUE(during.c_cflag & CRTSCTS);
  EXPECT_TRUE(during.c_cflag & PARODD);  // a pty keeps no parity enable or data size of its own
  EXPECT_FALSE(during.c_lflag & (ICANON | ECHO)) << "raw";
  EXPECT_EQ(during.c_cc[VMIN], 0);
  EXPECT_EQ(port_.state().output_lines, kLineDtr);

  settings.baudrate = 10;  // 56000: no termios constant for it
  port_.set_port_settings(settings);
  port_.configure_serial_port();
  EXPECT_EQ(read_baud_rate(slave_), 56000u);

  port_.close_serial_port();
  const termios after = slave_settings();
  EXPECT_EQ(cfgetispeed(&after), static_cast<speed_t>(B1200));
  EXPECT_TRUE(after.c_lflag & ICANON);
  EXPECT_TRUE(after.c_lflag & ECHO);
  EXPECT_FALSE(after.c_cflag & (CSTOPB | CRTSCTS));
}

TEST_F(PtyTest, QueuedBytesAreReadUpToTheCapacity) {
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  std::uint8_t buf[256];
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0) << "nothing waits";
  send(300, 0);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 256);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[255], 255);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 44);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[43], 43);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0);
}

TEST_F(PtyTest, CableGoneMidRunGivesNothing) {
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  std::uint8_t buf[256];
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0);
  EXPECT_FALSE(port_.port_lost()) << "nothing came: not gone";
  send(10, 1);
  close(master_);
  master_ = -1;
  for (int i = 0; i < 3; ++i) EXPECT_GE(port_.read_serial_port(buf, 256), 0);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0);
  EXPECT_TRUE(port_.port_lost()) << "the hang-up is seen";
  port_.get_port_modem_status();
  port_.close_serial_port();
}

TEST_F(PtyTest, ModemStatusOfADeviceWithoutModemLinesIsUnknown) {
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  int lines = 0;
  const int expected = ioctl(slave_, TIOCMGET, &lines) == 0 ? modem_status_from_lines(lines) : -1;
  EXPECT_EQ(port_.get_port_modem_status(), expected);
  port_.close_serial_port();
  EXPECT_EQ(port_.get_port_modem_status(), -1);
}

TEST_F(PtyTest, PortIsHeldExclusively) {
  ASSERT_TRUE(port_.open_serial_device(path_, "COM3:"));
  SerialPort other{[this](const std::string& text, const std::string&) { messages_.push_back(text); }};
  EXPECT_FALSE(other.open_serial_device(path_, "COM3:"));
  EXPECT_EQ(messages_, std::vector<std::string>{"Can't open serial port <COM3:>"});
  port_.close_serial_port();
  EXPECT_TRUE(other.open_serial_device(path_, "COM3:")) << "free again once closed";
}

// A lock directory of the test's own, so that no real lock is touched.
class LockDirectory {
 public:
  LockDirectory() {
    char name[] = "/tmp/morvane-locks-XXXXXX";
    if (mkdtemp(name) != nullptr) path_ = name;
  }
  ~LockDirectory() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void put(const std::string& name, const std::string& text) const { std::ofstream(file(name)) << text; }
  std::string read(const std::string& name) const {
    std::ifstream in(file(name));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

// A process id that no running process has: a child that has been reaped.
long ended_process_id() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

std::string pid_text(long pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10ld\n", pid);
  return text;
}

TEST(PortLock, LockFileHoldsOurProcessIdAndGoesAtRelease) {
  LockDirectory dir;
  long holder = -1;
  {
    PortLock lock;
    ASSERT_TRUE(lock.acquire("/dev/ttyS7", dir.path(), holder));
    EXPECT_EQ(lock.file(), dir.file("LCK..ttyS7"));
    EXPECT_EQ(dir.read("LCK..ttyS7"), pid_text(getpid())) << "ten digits and a newline";
    PortLock second;
    EXPECT_FALSE(second.acquire("/dev/ttyS7", dir.path(), holder)) << "a running holder: us";
    EXPECT_EQ(holder, static_cast<long>(getpid()));
    EXPECT_TRUE(second.file().empty());
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("LCK..ttyS7")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0) << "nothing left behind";

  PortLock none;
  EXPECT_TRUE(none.acquire("/dev/ttyS7", "/nonexistent/lock", holder)) << "no lock directory: nothing to agree on";
  EXPECT_TRUE(none.file().empty());
}

TEST(PortLock, LocksOfEndedProcessesAreTakenOverOthersAreRespected) {
  LockDirectory dir;
  struct Case {
    std::string content;
    bool taken;
  };
  const pid_t sleeper = fork();
  if (sleeper == 0) {
    for (;;) pause();
  }
  const std::vector<Case> cases = {
      {pid_text(ended_process_id()), true},
      {"", true},
      {"garbage\n", true},
      {"0\n", true},
      {pid_text(sleeper), false},
      {std::to_string(sleeper), false},  // without the padding, as some programs write it
  };
  for (const Case& c : cases) {
    dir.put("LCK..ttyUSB0", c.content);
    PortLock lock;
    long holder = 0;
    EXPECT_EQ(lock.acquire("/dev/ttyUSB0", dir.path(), holder), c.taken) << c.content;
    EXPECT_EQ(holder, c.taken ? 0 : static_cast<long>(sleeper)) << c.content;
    EXPECT_EQ(dir.read("LCK..ttyUSB0"), c.taken ? pid_text(getpid()) : c.content);
  }
  kill(sleeper, SIGKILL);
  waitpid(sleeper, nullptr, 0);
}

// What another program put at the lock's name is looked at without waiting
// on it (a FIFO would wait for a writer), refused with its kind named, and
// left in place.
TEST(PortLock, SomethingElseAtTheLockNameIsRefusedWithoutWaiting) {
  LockDirectory dir;
  for (const test::PlantedFile& planted : test::planted_files()) {
    const std::string path = dir.file("LCK..ttyS5");
    ASSERT_TRUE(planted.make(path)) << planted.kind;
    PortLock lock;
    long holder = -1;
    {
      test::HangGuard guard(10);
      EXPECT_FALSE(lock.acquire("/dev/ttyS5", dir.path(), holder)) << planted.kind;
    }
    EXPECT_EQ(holder, 0) << planted.kind;
    EXPECT_NE(lock.refusal().find(path + " is " + planted.kind), std::string::npos) << lock.refusal();
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << planted.kind << " left in place";
    test::remove_planted(path);
  }
}

// Programs that find the same stale lock at the same moment: however their
// steps interleave, exactly one of them ends up holding the port.
TEST(PortLock, StaleLockIsTakenOverByExactlyOneOfManyAtOnce) {
  LockDirectory dir;
  constexpr int kRounds = 200;
  constexpr int kRacers = 6;
  for (int round = 0; round < kRounds; ++round) {
    dir.put("LCK..ttyUSB1", pid_text(ended_process_id()));
    int start[2], done[2], results[2];
    ASSERT_EQ(pipe(start), 0);
    ASSERT_EQ(pipe(done), 0);
    ASSERT_EQ(pipe(results), 0);
    std::vector<pid_t> racers;
    for (int r = 0; r < kRacers; ++r) {
      const pid_t child = fork();
      if (child == 0) {
        close(start[1]);
        close(done[1]);
        close(results[0]);
        char go = 0;
        (void)!read(start[0], &go, 1);  // all start when the pipe closes
        PortLock lock;
        long holder = 0;
        const char won = lock.acquire("/dev/ttyUSB1", dir.path(), holder) ? '1' : '0';
        (void)!write(results[1], &won, 1);
        (void)!read(done[0], &go, 1);  // the lock is held until every racer has tried
        _exit(0);
      }
      racers.push_back(child);
    }
    close(start[0]);
    close(start[1]);
    close(done[0]);
    close(results[1]);
    int winners = 0;
    for (int r = 0; r < kRacers; ++r) {
      char won = 0;
      ASSERT_EQ(read(results[0], &won, 1), 1);
      winners += won == '1';
    }
    close(done[1]);
    close(results[0]);
    for (pid_t child : racers) waitpid(child, nullptr, 0);
    ASSERT_EQ(winners, 1) << "round " << round;
  }
}

// The lock stays ours only while its name leads to the file we made;
// whatever another program put there since is left at release, even a file
// with our own process id in it.
TEST(PortLock, LockReplacedByAnotherProgramIsNoLongerOursAndIsLeftAtRelease) {
  const std::pair<const char*, void (*)(const std::string&)> replacements[] = {
      {"a copy with our process id", [](const std::string& path) { std::ofstream(path) << pid_text(getpid()); }},
      {"a FIFO", [](const std::string& path) { mkfifo(path.c_str(), 0644); }},
  };
  for (const auto& [what, make] : replacements) {
    LockDirectory dir;
    PortLock lock;
    long holder = 0;
    ASSERT_TRUE(lock.acquire("/dev/ttyS9", dir.path(), holder)) << what;
    EXPECT_TRUE(lock.intact()) << what;
    const std::string path = lock.file();
    unlink(path.c_str());
    EXPECT_FALSE(lock.intact()) << what << ": removed";
    make(path);
    EXPECT_FALSE(lock.intact()) << what;
    {
      test::HangGuard guard(10);
      lock.release();
    }
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << what << " left at release";
  }
}

TEST(PortLock, EveryNameOfADeviceSharesItsLock) {
  LockDirectory dir;
  const std::string device = dir.file("ttyACM3");
  dir.put("ttyACM3", "");
  ASSERT_EQ(symlink(device.c_str(), dir.file("by-id-usb-printer").c_str()), 0);
  EXPECT_EQ(port_lock_name(dir.file("by-id-usb-printer")), "LCK..ttyACM3");
  EXPECT_EQ(port_lock_name("/dev/ttyS0"), "LCK..ttyS0");
}

// The port is the program's alone: another program asking as terminal
// programs do is refused with the holder named, and any later plain open is
// refused by the device itself (TIOCEXCL; only the superuser passes it, so a
// superuser test tries it as another user).
TEST_F(PtyTest, SecondReaderIsRefused) {
  LockDirectory dir;
  DeviceOpenResult first = open_device_locked(path_, dir.path());
  ASSERT_TRUE(first.device);
  DeviceOpenResult second = open_device_locked(path_, dir.path());
  EXPECT_FALSE(second.device);
  EXPECT_NE(second.detail.find("in use by process " + std::to_string(getpid())), std::string::npos) << second.detail;

  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (chown(path_.c_str(), 65534, 65534) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      _exit(2);
    const int fd = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    _exit(fd < 0 && errno == EBUSY ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a plain open of the device got through";

  first.device.reset();
  EXPECT_TRUE(open_device_locked(path_, dir.path()).device) << "free again once closed";
}

TEST(SerialPortPosix, NotATerminalIsNoPort) {
  std::vector<std::string> messages;
  SerialPort port{[&](const std::string& text, const std::string&) { messages.push_back(text); }};
  EXPECT_FALSE(port.open_serial_device("/dev/null", "COM2:"));
  EXPECT_FALSE(port.open_serial_device("/nonexistent/tty", "COM9:"));
  EXPECT_EQ(messages, (std::vector<std::string>{"Can't open serial port <COM2:>", "Can't open serial port <COM9:>"}));
}

TEST(SerialPortPosix, LineSettingsFromConfiguration) {
  struct Case {
    LineConfig config;
    tcflag_t size;
    bool parenb, parodd, cstopb, crtscts, ixoff;
  };
  const std::vector<Case> cases = {
      {{9600, 8, kNoParity, kOneStopBit, FlowControl::none}, CS8, false, false, false, false, false},
      {{300, 7, kOddParity, kOneAndHalfStopBits, FlowControl::hardware}, CS7, true, true, true, true, false},
      {{115200, 8, kEvenParity, kTwoStopBits, FlowControl::xon_xoff}, CS8, true, false, true, false, true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    termios settings{};
    settings.c_cflag = CS5 | PARENB | PARODD | CSTOPB | CRTSCTS;
    settings.c_iflag = IXON | IXOFF | ICRNL | ISTRIP | INPCK;
    settings.c_lflag = ICANON | ECHO | ISIG;
    settings.c_oflag = OPOST;
    make_line_termios(settings, cases[i].config);
    EXPECT_EQ(settings.c_cflag & CSIZE, cases[i].size) << i;
    EXPECT_EQ(!!(settings.c_cflag & PARENB), cases[i].parenb) << i;
    EXPECT_EQ(!!(settings.c_cflag & PARODD), cases[i].parodd) << i;
    EXPECT_EQ(!!(settings.c_cflag & CSTOPB), cases[i].cstopb) << i;
    EXPECT_EQ(!!(settings.c_cflag & CRTSCTS), cases[i].crtscts) << i;
    EXPECT_EQ(!!(settings.c_iflag & IXOFF), cases[i].ixoff) << i;
    EXPECT_FALSE(settings.c_iflag & (IXON | ICRNL | ISTRIP | INPCK)) << i;
    EXPECT_TRUE(settings.c_cflag & CREAD) << i;
    EXPECT_TRUE(settings.c_cflag & CLOCAL) << i;
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u) << i;
    EXPECT_EQ(settings.c_oflag & OPOST, 0u) << i;
  }
}

TEST(SerialPortPosix, ModemLinesToStatusBits) {
  EXPECT_EQ(modem_status_from_lines(0), 0);
  EXPECT_EQ(modem_status_from_lines(TIOCM_CTS), kModemCts);
  EXPECT_EQ(modem_status_from_lines(TIOCM_DSR), kModemDsr);
  EXPECT_EQ(modem_status_from_lines(TIOCM_RNG), kModemRing);
  EXPECT_EQ(modem_status_from_lines(TIOCM_CAR), kModemRlsd);
  EXPECT_EQ(modem_status_from_lines(TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_CAR), kModemCts | kModemRlsd);
}

}  // namespace
}  // namespace morvane
