#include "format/szdd_format.h"
#include <string.h>

const unsigned char SzddMagic[SzddMagicSize] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33 };

int HasSzddMagic(const unsigned char* data, size_t size)
{
    return size >= SzddMagicSize && memcmp(data, SzddMagic, SzddMagicSize) == 0;
}
