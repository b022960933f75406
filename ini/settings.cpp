#include "ini/settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "ini/profile_reader.h"
#include "system/run_time_error.h"

namespace velmo {
namespace {

// Size of the value buffer that every settings lookup hands the reader.
constexpr std::size_t kValueBufferSize = 255;

std::string executablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      throw RunTimeError(std::string("Cannot find the program's folder: reading /proc/self/exe "
                                     "failed (") +
                         std::strerror(errno) + "). Run the program on Linux with /proc mounted.");
    }
    if (static_cast<std::size_t>(length) < buffer.size())
      return {buffer.data(), buffer.data() + length};
    buffer.resize(buffer.size() * 2);  // the path may have been cut: try a larger buffer
  }
}

}  // namespace

std::string programFolder() {
  const std::string path = executablePath();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    throw RunTimeError("Cannot find the program's folder: /proc/self/exe gives \"" + path +
                       "\", which is not an absolute path.");
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string IniPath(const std::string& folder, const std::string& fileName) {
  return folder + "/" + fileName;
}

std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& path) {
  return GetPrivateProfileString(section, key, "", kValueBufferSize, path);
}

}  // namespace velmo
