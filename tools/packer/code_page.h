// The single-byte Windows code pages that setup may read names and labels in: the manifest is
// UTF-8, a record holds the bytes of the installer's ANSI code page (the format records no
// code page, so the vendor names the buyers' one when packing).
#pragma once
#include <string>

namespace packer {

constexpr int DefaultCodePage = 1252;

bool IsSupportedCodePage(int codePage);
// "1250, 1251, 1252", for messages.
std::string SupportedCodePages();

// UTF-8 text in the code page's bytes. False, with `problem` naming the first character the
// code page cannot hold (or the first byte that is not UTF-8), when it cannot be converted.
bool FromUtf8(const std::string& text, int codePage, std::string& bytes, std::string& problem);
// The code page's bytes as UTF-8; a byte the code page leaves undefined reads as U+FFFD.
std::string ToUtf8(const std::string& bytes, int codePage);

} // namespace packer
