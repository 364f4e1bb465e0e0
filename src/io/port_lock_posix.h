// The lock file that terminal programs agree on before they open a serial
// device: "LCK..<device's base name>" in the system's lock directory, holding
// the owner's process id as ten ASCII digits and a newline.
#pragma once

#include <string>

namespace morvane {

// The lock directory: /var/lock, or /run/lock where there is no /var/lock.
std::string system_lock_directory();

// "LCK..ttyUSB0" for /dev/ttyUSB0, also when reached through a symbolic
// link (/dev/serial/by-id/...), so that every name of a device shares a lock.
std::string port_lock_name(const std::string& device_path);

class PortLock {
 public:
  PortLock() = default;
  ~PortLock() { release(); }
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;

  // Takes the device's lock in directory. False, with the holder's process
  // id in holder, when a running process holds it; a lock left by a process
  // that has ended is taken over. Where no lock file can be written (no
  // such directory, no permission) nothing is locked and the result is true.
  bool acquire(const std::string& device_path, const std::string& directory, long& holder);
  // Removes the lock file, if it is still ours.
  void release();
  // The lock file held, empty when none.
  const std::string& file() const { return file_; }

 private:
  bool try_link(const std::string& temporary, const std::string& lock, long& holder);

  std::string file_;
};

}  // namespace morvane
