#pragma once

namespace Orvel {

// Whether the running Windows is at least major.minor (service pack 0 or
// later), as the platform's version verification answers it.
bool IsWindowsVersionOrLater(unsigned long major, unsigned long minor);

}  // namespace Orvel
