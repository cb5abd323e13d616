#include "format/setup_data_format.h"
#include "format/little_endian.h"
#include <string.h>

// Copies a field's text up to its NUL or its end; `out` holds size + 1 bytes.
static void CopyField(char* out, const unsigned char* field, size_t size)
{
    size_t length = 0;
    while (length < size && field[length] != 0)
        ++length;
    memcpy(out, field, length);
    out[length] = '\0';
}

static void PutField(unsigned char* field, size_t size, const char* text)
{
    size_t length = strlen(text);
    memset(field, 0, size);
    memcpy(field, text, length < size ? length : size - 1);
}

void DecodeRecordHeader(const unsigned char raw[RecordHeaderSize], RecordHeaderFields* fields)
{
    CopyField(fields->Name, raw + RecordNameOffset, RecordNameSize);
    CopyField(fields->Label, raw + RecordLabelOffset, RecordLabelSize);
    fields->PackedLength = GetLittleEndian32(raw + RecordPackedLengthOffset);
    fields->Hidden = GetLittleEndian32(raw + RecordHiddenOffset);
}

void EncodeRecordHeader(const RecordHeaderFields* fields, unsigned char raw[RecordHeaderSize])
{
    PutField(raw + RecordNameOffset, RecordNameSize, fields->Name);
    PutField(raw + RecordLabelOffset, RecordLabelSize, fields->Label);
    PutLittleEndian32(raw + RecordPackedLengthOffset, fields->PackedLength);
    PutLittleEndian32(raw + RecordHiddenOffset, fields->Hidden);
}

int IsSystemRecordName(const char* name)
{
    return name[0] == '@';
}

const char* RecordRelativePath(const char* name)
{
    return IsSystemRecordName(name) ? name + 2 : name;
}

static char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

// Windows opens a device, not a file, for these names in any folder, with any extension and
// blanks before it ("COM1", "con.txt", "AUX .log"); COM and LPT also take the superscript
// digits of the ANSI code page.
static int IsDeviceName(const char* part, const char* end)
{
    static const char* const devices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
    const char* stem = part;
    while (stem < end && *stem != '.')
        ++stem;
    while (stem > part && stem[-1] == ' ')
        --stem;
    size_t length = (size_t)(stem - part);
    if (length < 3 || length > 7)
        return 0;
    char upper[8];
    for (size_t i = 0; i < length; ++i)
        upper[i] = Upper(part[i]);
    upper[length] = '\0';
    for (const char* device : devices)
        if (strcmp(upper, device) == 0)
            return 1;
    unsigned char digit = (unsigned char)upper[3];
    if (length != 4 || !((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3))
        return 0;
    return memcmp(upper, "COM", 3) == 0 || memcmp(upper, "LPT", 3) == 0;
}

// One folder or file name between backslashes.
static RecordNameVerdict CheckPart(const char* part, const char* end)
{
    if (part == end)
        return RecordNameEmptyPart;
    const char* p = part;
    while (p < end && (*p == '.' || *p == ' '))
        ++p;
    // Windows drops trailing dots and blanks, so "..", "..." and ". ." all climb out.
    if (p == end)
        return RecordNameDotPart;
    if (end[-1] == '.' || end[-1] == ' ')
        return RecordNameTrailingDot;
    if (IsDeviceName(part, end))
        return RecordNameDevice;
    return RecordNameOk;
}

RecordNameVerdict CheckRecordName(const char* name, size_t length)
{
    if (length >= RecordNameSize)
        return RecordNameTooLong;
    const char* path = name;
    const char* end = name + length;
    if (length > 0 && name[0] == '@') {
        if (length < 2 || name[1] != '\\')
            return RecordNameBadSystemMarker;
        path = name + 2;
    }
    if (path == end || end[-1] == '\\')
        return RecordNameNoFile;
    for (const char* p = path; p < end; ++p) {
        unsigned char c = (unsigned char)*p;
        if (c == ':')
            return RecordNameColon;
        if (c == '/')
            return RecordNameSlash;
        // A control character ends no file name, and a line end would let the rest of the
        // name pass for a line of its own in the setup log.
        if (c < ' ' || strchr("<>\"|?*", c))
            return RecordNameBadCharacter;
    }
    const char* part = path;
    for (const char* p = path;; ++p) {
        if (p == end || *p == '\\') {
            RecordNameVerdict verdict = CheckPart(part, p);
            if (verdict != RecordNameOk)
                return verdict;
            if (p == end)
                return RecordNameOk;
            part = p + 1;
        }
    }
}
