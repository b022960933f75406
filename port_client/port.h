#pragma once

#include <cstdint>
#include <string>

namespace velmo {

// I/O address of the first parallel port's data register.
inline constexpr int kDataPort = 888;

// Converts a value to a port byte. Throws OverflowError outside 0..255.
std::uint8_t toPortByte(long long value);

// The programs' access to the parallel port.
class Port {
 public:
  virtual ~Port() = default;

  // Range-checks value as a port byte, then writes it. Outside 0..255 throws
  // OverflowError and the port is not touched.
  void PortOut(int port, long long value);

  // The byte read from port, 0..255.
  int PortIn(int port);

 protected:
  virtual void writeByte(int port, std::uint8_t value) = 0;
  virtual std::uint8_t readByte(int port) = 0;
};

// File name of the port library in the program folder.
inline constexpr const char* kPortLibraryName = "libvelmoport.so";

// Full path of the port library beside the running program.
std::string portLibraryPath();

// The port library, loaded from a full path at the first port call, each
// entry looked up by name ("PortOut", "PortIn") at its own first call and
// kept for later calls. A library or entry that cannot be bound, and an
// access that the library reports as failed, throw RunTimeError naming the
// library path and the reason.
class LibraryPort final : public Port {
 public:
  explicit LibraryPort(std::string libraryPath = portLibraryPath());
  ~LibraryPort() override;
  LibraryPort(const LibraryPort&) = delete;
  LibraryPort& operator=(const LibraryPort&) = delete;

  const std::string& libraryPath() const { return libraryPath_; }

  // The port target the library drives, as the library names it ("" for
  // the default register); "" too for a library that does not tell. Loads
  // the library if need be; throws RunTimeError as the port calls do.
  std::string target();

 protected:
  void writeByte(int port, std::uint8_t value) override;
  std::uint8_t readByte(int port) override;

 private:
  void* bind(const char* entry);
  void throwIfAccessFailed();

  std::string libraryPath_;
  void* library_ = nullptr;
  void (*portOut_)(std::int32_t, std::int32_t) = nullptr;
  std::int32_t (*portIn_)(std::int32_t) = nullptr;
  const char* (*portError_)() = nullptr;
  const char* (*portTarget_)() = nullptr;
  bool portErrorLookedUp_ = false;
};

}  // namespace velmo
