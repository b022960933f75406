// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/register/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "port/data_register.h"
#include "system/errno_text.h"

namespace velmo::port {
namespace {

[[noreturn]] void refuse(const std::string& folder, const std::string& problem) {
  throw PortAccessError("The register folder " + folder + " " + problem +
                        "; it is refused so that nobody else can change the port register. "
                        "Remove it (it is made anew) or choose another register with "
                        "VELMO_PORT=sim:PATH.");
}

std::string octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

}  // namespace

void ensurePrivateFolder(const std::string& folder) {
  struct stat status {};
  bool inspected = lstat(folder.c_str(), &status) == 0;
  if (!inspected && errno == ENOENT) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      throw PortAccessError("Cannot create the register folder " + folder + ": " +
                            errnoText(errno) +
                            ". Check that its parent folder exists and that you may write there, "
                            "or choose another register with VELMO_PORT=sim:PATH.");
    }
    inspected = lstat(folder.c_str(), &status) == 0;
  }
  if (!inspected) {
    throw PortAccessError("Cannot inspect the register folder " + folder + ": " + errnoText(errno) +
                          ".");
  }
  if (S_ISLNK(status.st_mode)) refuse(folder, "is a symbolic link");
  if (!S_ISDIR(status.st_mode)) refuse(folder, "is not a folder");
  if (status.st_uid != geteuid()) {
    refuse(folder, "belongs to another user (uid " + std::to_string(status.st_uid) + ")");
  }
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    refuse(folder, "may be written by other users (mode " + octal(status.st_mode) + ")");
  }
}

}  // namespace velmo::port
