#pragma once

// The program's icon: 16, 24, 32, 48 and 256 pixels.
#define IDI_VANTOR 1
