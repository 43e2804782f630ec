#include "firmware/kernel_file_path.h"

#include "platform/utf8_text.h"

std::optional<std::string> KernelFilePath(const std::string& normalPath) {
  const std::size_t length = drvflash::Utf8CharacterCount(normalPath);
  if (length < 7) {
    return std::nullopt;
  }
  const std::size_t begin = drvflash::Utf8Offset(normalPath, length - 7);
  const std::size_t end = drvflash::Utf8Offset(normalPath, length - 6);
  return normalPath.substr(0, begin) + '0' + normalPath.substr(end);
}
