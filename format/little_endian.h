// 32-bit little-endian integers, as both data formats store them, on any host.
#pragma once
#include <stdint.h>

inline uint32_t GetLittleEndian32(const unsigned char* in)
{
    return (uint32_t)in[0] | ((uint32_t)in[1] << 8) | ((uint32_t)in[2] << 16) | ((uint32_t)in[3] << 24);
}

inline void PutLittleEndian32(unsigned char* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = (unsigned char)(value >> (8 * i));
}
