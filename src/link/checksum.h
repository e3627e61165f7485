// Frame checks of the reader protocol, shared by the host side and the simulator.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// XOR of every byte.
constexpr std::uint8_t bcc(const std::uint8_t *data, std::size_t length) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < length; ++i) x ^= data[i];
    return x;
}

// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final XOR.
constexpr std::uint16_t crc16Modbus(const std::uint8_t *data, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

}  // namespace orvex
