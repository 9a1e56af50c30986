#pragma once

#include <cstdint>

namespace darwin {

// The Mach-O header and load-command layouts the encryption test reads. Images are read
// field by field from their bytes, never by casting, so a malformed image cannot be read
// past its end.
inline constexpr std::uint32_t MH_MAGIC = 0xfeedface;
inline constexpr std::uint32_t MH_MAGIC_64 = 0xfeedfacf;
inline constexpr std::uint32_t MH_EXECUTE = 0x2;
inline constexpr std::uint32_t MH_DYLIB = 0x6;
inline constexpr std::uint32_t LC_SEGMENT_64 = 0x19;
inline constexpr std::uint32_t LC_ENCRYPTION_INFO = 0x21;
inline constexpr std::uint32_t LC_ENCRYPTION_INFO_64 = 0x2C;

// Sizes of mach_header and mach_header_64: magic, cpu type, cpu subtype, file type, command
// count, commands' size, flags (and a reserved word in the 64-bit form).
inline constexpr std::uint32_t machHeaderSize = 28;
inline constexpr std::uint32_t machHeader64Size = 32;

// Field offsets within the headers and commands.
inline constexpr std::uint32_t headerFileTypeOffset = 12;
inline constexpr std::uint32_t headerCommandCountOffset = 16;
inline constexpr std::uint32_t headerCommandsSizeOffset = 20;
inline constexpr std::uint32_t loadCommandSizeOffset = 4;
inline constexpr std::uint32_t encryptionInfoCryptIdentifierOffset = 16;

}  // namespace darwin
