// Capability flags of an identified reader: one 32-bit word, recomputed on
// every successful identification; dialogs and sheets adapt to its bits.
// Bits 2, 3 and 24-31 are never set.
#pragma once

#include <cstdint>

namespace orvex::app {

using CapabilityFlags = std::uint32_t;

inline constexpr CapabilityFlags CAP_PLAIN_SERIAL = 0x1;  // "Schnittstelle" group (baud, parity, stop bits)
inline constexpr CapabilityFlags CAP_PS2 = 0x2;           // keyboard-wedge reader
inline constexpr CapabilityFlags CAP_IDENTIFIED = 0x10;   // every supported reader
inline constexpr CapabilityFlags CAP_MIFARE = 0x20;
inline constexpr CapabilityFlags CAP_ICODE1 = 0x40;
inline constexpr CapabilityFlags CAP_DESFIRE = 0x80;
inline constexpr CapabilityFlags CAP_SENSOR_OUTPUT = 0x100;
inline constexpr CapabilityFlags CAP_HID = 0x200;  // USB keyboard mode
inline constexpr CapabilityFlags CAP_LAN = 0x400;
inline constexpr CapabilityFlags CAP_BLUETOOTH = 0x800;
inline constexpr CapabilityFlags CAP_POWER_ON_MODE = 0x1000;
inline constexpr CapabilityFlags CAP_USED_BYTES = 0x2000;  // 13-byte data-format block
inline constexpr CapabilityFlags CAP_BIT_REVERSE = 0x4000;
inline constexpr CapabilityFlags CAP_DECIMAL_NO_ZEROS = 0x8000;
inline constexpr CapabilityFlags CAP_TWO_DATA_BLOCKS = 0x10000;
inline constexpr CapabilityFlags CAP_ASCII_NO_NUL = 0x20000;
inline constexpr CapabilityFlags CAP_BLOCK_SEQUENCE = 0x40000;
inline constexpr CapabilityFlags CAP_SILENT_READER_MODE = 0x80000;
inline constexpr CapabilityFlags CAP_TX_POWER = 0x100000;
inline constexpr CapabilityFlags CAP_EXTENDED = 0x200000;
inline constexpr CapabilityFlags CAP_FACTORY_RESET = 0x400000;
inline constexpr CapabilityFlags CAP_LEFT_ALIGN = 0x800000;

// Menu "Sendeleistung" is enabled by either of these bits.
inline constexpr CapabilityFlags CAP_TX_POWER_MENU_MASK = CAP_TX_POWER | CAP_EXTENDED;

constexpr bool hasCapability(CapabilityFlags flags, CapabilityFlags bit) { return (flags & bit) != 0; }

}  // namespace orvex::app
