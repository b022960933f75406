// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/module_lines.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "port/backends/following_register.h"
#include "port/backends/lines_module.h"
#include "port/port_notices.h"
#include "system/paths.h"

namespace velmo::port {

// A module's entries.
struct LinesModuleEntries {
  decltype(&VelmoLinesOpen) open;
  decltype(&VelmoLinesCheck) check;
  decltype(&VelmoLinesWrite) write;
  decltype(&VelmoLinesRelease) release;
  decltype(&VelmoLinesReachedDescriptor) reachedDescriptor;
  decltype(&VelmoLinesRemark) remark;
  decltype(&VelmoLinesClose) close;
  decltype(&VelmoLinesError) error;
};

namespace {

// Never unloaded: a library may keep threads or static state that would be
// torn down under lines still in use at exit. The entries are never
// destroyed either: the port library's register, which holds lines, is
// destroyed at exit after anything made later.
const LinesModuleEntries& load(const LinesModule& module) {
  static std::mutex mutex;
  static auto& loaded = *new std::map<std::string, LinesModuleEntries>;
  const std::lock_guard lock(mutex);
  const std::string path = besidePortLibrary(module.fileName);
  if (const auto found = loaded.find(path); found != loaded.end()) return found->second;
  try {
    SharedObject object(path, module.role);
    const LinesModuleEntries entries{VELMO_ENTRY(object, VelmoLinesOpen),
                                     VELMO_ENTRY(object, VelmoLinesCheck),
                                     VELMO_ENTRY(object, VelmoLinesWrite),
                                     VELMO_ENTRY(object, VelmoLinesRelease),
                                     VELMO_ENTRY(object, VelmoLinesReachedDescriptor),
                                     VELMO_ENTRY(object, VelmoLinesRemark),
                                     VELMO_ENTRY(object, VelmoLinesClose),
                                     VELMO_ENTRY(object, VelmoLinesError)};
    object.keepLoaded();
    return loaded.emplace(path, entries).first->second;
  } catch (const RunTimeError& failure) {
    throw PortAccessError(failure.what());
  }
}

VelmoLines* open(const LinesModuleEntries& module, const std::vector<std::string>& fields) {
  std::vector<const char*> texts;
  for (const std::string& field : fields) texts.push_back(field.c_str());
  VelmoLines* lines = module.open(texts.data(), static_cast<std::uint32_t>(texts.size()));
  if (!lines) throw PortAccessError(module.error());
  return lines;
}

}  // namespace

std::string besidePortLibrary(const char* fileName) {
  Dl_info info{};
  const bool found =
      dladdr(reinterpret_cast<const void*>(&besidePortLibrary), &info) != 0 && info.dli_fname;
  return (found ? folderOf(info.dli_fname) : ".") + "/" + fileName;
}

std::unique_ptr<DataRegister> makeModuleRegister(const LinesModule& module,
                                                 const std::vector<std::string>& fields,
                                                 const RegisterLocation& location) {
  return std::make_unique<FollowingRegister>(std::make_unique<ModuleLines>(module, fields),
                                             location, kRelayFollowing, processNotices());
}

ModuleLines::ModuleLines(const LinesModule& module, const std::vector<std::string>& fields)
    : module_(load(module)), lines_(open(module_, fields)) {}

ModuleLines::~ModuleLines() {
  module_.close(lines_);
}

void ModuleLines::write(std::uint8_t value) {
  throwUnlessDone(module_.write(lines_, value));
}

void ModuleLines::check() {
  throwUnlessDone(module_.check(lines_));
}

void ModuleLines::release() {
  module_.release(lines_);
}

int ModuleLines::reachedDescriptor() const {
  return module_.reachedDescriptor(lines_);
}

std::string ModuleLines::takeRemark() {
  const char* remark = module_.remark(lines_);
  return remark ? remark : "";
}

void ModuleLines::throwUnlessDone(int outcome) const {
  if (outcome == VELMO_LINES_AWAY) throw OutputAwayError(module_.error());
  if (outcome != VELMO_LINES_DONE) throw PortAccessError(module_.error());
}

}  // namespace velmo::port
