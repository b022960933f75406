// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For the lines modules: lines_module_entries.cpp, built into each module,
// gives the C entries of lines_module.h over the lines the module makes.
#include <memory>
#include <string>
#include <vector>

#include "port/backends/output_lines.h"

namespace velmo::port {

// Each module defines it: its lines for the fields VelmoLinesOpen got.
// Throws PortAccessError for fields it does not take.
std::unique_ptr<OutputLines> makeModuleLines(const std::vector<std::string>& fields);

}  // namespace velmo::port
