#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 of a byte block (used to identify firmware images in listings).
std::array<std::uint8_t, 32> Sha256(const std::uint8_t* data, std::size_t size);
// The digest as 64 lower-case hex digits.
std::string Sha256Hex(const std::uint8_t* data, std::size_t size);
