// The Windows compress format (SZDD), as the platform's LZ32 expands it.
//
//   offset  size  field
//        0     8  magic: 'S' 'Z' 'D' 'D' 0x88 0xF0 0x27 0x33
//        8     1  mode: 'A' (the only one LZ32 knows; any other makes LZ32 refuse the file)
//        9     1  the last character of the original name (for names ending in '_'); 0 here
//       10     4  expanded length, little-endian; LZ32 does not use it
//       14   ...  groups of one flag byte and up to 8 items, lowest flag bit first:
//                   bit 1: one literal byte
//                   bit 0: two bytes AB CD: copy D + 3 bytes (3..18) from window slot 0xCAB
//
// The window is 4096 bytes, filled with spaces at the start; output byte k lands in slot
// (0xFF0 + k) & 0xFFF, and a copy reads and writes one byte at a time, so it may overlap
// what it writes. The data ends where the input ends. Data that does not start with the
// whole 14-byte header is not SZDD: LZ32 copies it unchanged.
#pragma once
#include <stddef.h>

constexpr size_t SzddMagicSize = 8;
constexpr size_t SzddModeOffset = 8;
constexpr size_t SzddLengthOffset = 10;
constexpr size_t SzddHeaderSize = 14;
constexpr size_t SzddWindowSize = 4096;
constexpr unsigned char SzddModeLzss = 'A';

extern const unsigned char SzddMagic[SzddMagicSize];

// 1 when data starts with the whole 8-byte magic (whatever follows).
int HasSzddMagic(const unsigned char* data, size_t size);
