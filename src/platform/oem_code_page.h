#pragma once

namespace drvflash {

// The code page a DOS-era program would see on this system: 932 when the character-type
// locale (the first non-empty of LC_ALL, LC_CTYPE, LANG) is a Japanese one, else 437. Read
// from the environment on every call.
int OemCodePage();

}  // namespace drvflash
