// Texts at the edge of the Windows API: the program keeps UTF-8, Windows takes
// and gives UTF-16 (os/wide_text.h converts). Only platform/win32 includes this.
#pragma once

#include "os/wide_text.h"
