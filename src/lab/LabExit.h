#pragma once

namespace tavrin::LabExit {

// The exit codes of every subcommand, as scripts read them.
inline constexpr int ok = 0;
inline constexpr int failed = 1;  // the operation failed: a device refused, or was gone
inline constexpr int usage = 2;   // the command line or an input file was wrong

}  // namespace tavrin::LabExit
