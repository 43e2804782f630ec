#pragma once

#include <span>
#include <string>

#include "aspi/aspi.h"

namespace drvflash {

// The SHA-256 digest of `data` in lower-case hex; empty if the digest cannot be computed.
std::string Sha256Hex(std::span<const BYTE> data);

}  // namespace drvflash
