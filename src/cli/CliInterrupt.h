#pragma once

// Ctrl-C: the first interrupt is noted for the running command to cancel its work as
// the Cancel button does; the command then exits with status 130.
namespace CliInterrupt {

void Install();
bool Requested();

} // namespace CliInterrupt
