#pragma once

#include <string>
#include <string_view>

#include "job/JobText.h"

namespace velmar {

// The text from the last '.' of the name's last path component ('/' or '\'
// ends a component) to its end, the period included; empty when that
// component has no period.
std::string_view NameExtension(std::string_view name);

// The name a plot file is written under: the chosen name with ".plt" added
// when it has no extension, otherwise the chosen name unchanged.
std::string PlotFileName(std::string_view chosenName);

// Writes every item followed by CR LF, creating or overwriting the file.
// Throws std::runtime_error naming the file and the system's reason.
void WritePlotFile(const JobText& items, const std::string& fileName);

// PlotFileName, then WritePlotFile; returns the name written.
std::string SavePlotFile(const JobText& items, std::string_view chosenName);

}  // namespace velmar
