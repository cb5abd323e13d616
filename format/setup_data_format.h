// The setup data file (QNTXSetup.z), as the installer reads it and the packer writes it: file
// records one after another, with no file header, count or trailer. It ends where a whole
// 136-byte record header can no longer be read; a shorter fragment after the last record is
// ignored.
//
//   offset  size  field
//        0    64  name: destination below the target folder, folders separated by '\',
//                 NUL-terminated within the field (so at most 63 bytes). "@\" first: the
//                 Windows system folder instead, the path from offset 2.
//       64    64  label: shown while the record installs, NUL-terminated within the field
//      128     4  packedLength: unsigned little-endian count of the data bytes that follow
//      132     4  hidden: nonzero gives the installed file the hidden attribute alone
//      136   ...  data: SZDD (expanded by LZ32) or anything else (copied unchanged)
//
// Portable: compiled into the installer and into the packer, so both read one layout and
// judge record names by one rule.
#pragma once
#include <stddef.h>
#include <stdint.h>

constexpr size_t RecordNameOffset = 0;
constexpr size_t RecordNameSize = 64;
constexpr size_t RecordLabelOffset = 64;
constexpr size_t RecordLabelSize = 64;
constexpr size_t RecordPackedLengthOffset = 128;
constexpr size_t RecordHiddenOffset = 132;
constexpr size_t RecordHeaderSize = 136;
static_assert(RecordLabelOffset == RecordNameOffset + RecordNameSize, "label follows the name");
static_assert(RecordPackedLengthOffset == RecordLabelOffset + RecordLabelSize, "packedLength follows the label");
static_assert(RecordHiddenOffset == RecordPackedLengthOffset + 4, "hidden follows packedLength");
static_assert(RecordHeaderSize == RecordHiddenOffset + 4, "the record header is 136 bytes on disk");

// A record header with its texts terminated. A damaged field without a NUL gives all its 64
// bytes and nothing beyond; the name rule refuses such a name.
struct RecordHeaderFields {
    char Name[RecordNameSize + 1];
    char Label[RecordLabelSize + 1];
    uint32_t PackedLength;
    uint32_t Hidden;
};

void DecodeRecordHeader(const unsigned char raw[RecordHeaderSize], RecordHeaderFields* fields);
// Texts are cut to fit their fields; the record-name rule refuses a name that does not fit.
void EncodeRecordHeader(const RecordHeaderFields* fields, unsigned char raw[RecordHeaderSize]);

// Why a record name cannot be installed, or RecordNameOk. The installer skips a record whose
// name is not Ok; the packer refuses to write one.
enum RecordNameVerdict {
    RecordNameOk,
    RecordNameTooLong,          // no room for its terminator in the 64-byte field
    RecordNameNoFile,           // empty, "@\" alone, or ending in '\'
    RecordNameBadSystemMarker,  // '@' not followed by '\'
    RecordNameColon,            // a drive, a stream or a device
    RecordNameSlash,            // folders are separated by '\' alone
    RecordNameBadCharacter,     // a control character or one of < > " | ? *
    RecordNameEmptyPart,        // "a\\b"
    RecordNameDotPart,          // a part Windows reads as "." or "..": it would leave the folder
    RecordNameTrailingDot,      // a part ending in '.' or a blank, which Windows drops
    RecordNameDevice,           // CON, PRN, AUX, NUL, COM1..9, LPT1..9, with any extension
};

// name: length bytes (no NUL needed).
RecordNameVerdict CheckRecordName(const char* name, size_t length);

// 1 for a name that goes to the system folder ("@" first).
int IsSystemRecordName(const char* name);
// The path below the destination folder: for "@\x.dll" it is "x.dll". The name must have
// passed CheckRecordName.
const char* RecordRelativePath(const char* name);
