// Exact bytes of files, and reproducible bytes that do not pack well: portable, for the
// Windows tests and the packer's native tests alike.
#pragma once
#include <cstddef>
#include <string>

bool ReadFileBytes(const std::string& path, std::string& bytes);
// The whole content, or "<missing: PATH>" when the file cannot be read.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

std::string NoiseBytes(std::size_t size, unsigned seed);
