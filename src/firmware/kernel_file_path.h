#pragma once

#include <optional>
#include <string>

// The kernel-part file of a normal-part file: the character 7 characters before the end of the
// path becomes the digit 0, so ".../T58AB1CD.128" gives ".../T58AB0CD.128". Nothing when the
// path has fewer than 7 characters.
std::optional<std::string> KernelFilePath(const std::string& normalPath);
