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
  // that has ended is taken over. False with refusal() saying why when the
  // name holds something that is no lock file (a FIFO, a link, a directory)
  // or a stale lock that cannot be removed. Where no lock file can be
  // written (no such directory, no permission) nothing is locked and the
  // result is true. Never waits on what it finds at the name.
  bool acquire(const std::string& device_path, const std::string& directory, long& holder);
  // Removes the lock file, if it is still ours.
  void release();
  // The lock file held, empty when none.
  const std::string& file() const { return file_; }
  // Why the last acquire failed when no running holder was the reason.
  const std::string& refusal() const { return refusal_; }
  // True while the lock's name still leads to the lock file we made (or
  // while no lock is held); false once another program removed or replaced it.
  bool intact() const;

 private:
  enum class Found;
  bool try_link(const std::string& temporary, const std::string& lock, long& holder);
  Found look_at(const std::string& lock, long& holder);
  Found refuse(const std::string& why);

  std::string file_;
  std::string refusal_;
  int made_fd_ = -1;  // the lock file we made, held open while it is ours
};

}  // namespace morvane
