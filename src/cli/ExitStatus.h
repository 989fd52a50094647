// The exit statuses of every program: what a script can tell from them.
#pragma once

namespace exit_status {

constexpr int success = 0;
constexpr int failure = 1;  // the input was accepted, but the work failed (a full disk, ...)
constexpr int refused = 2;  // the command line or an input was refused; nothing was changed

}  // namespace exit_status
