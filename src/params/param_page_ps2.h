// Model of the parameter page of keyboard-wedge readers
// (CParamRegisterkartePS2): keystroke delay, clock frequency and timeout,
// kept in the reader as three bytes of the keyboard-wedge block.
//
// Control names: frequency, timeout, delay.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "params/operating_parameters.h"
#include "params/page_model.h"

namespace orvex::app {

struct ParamPagePs2Values {
    std::string delay = "5.0";     // ms, one decimal
    std::string frequency = "10";  // kHz
    std::string timeout = "180";   // ms
};

class ParamPagePs2 {
public:
    ParamPagePs2Values &values() { return v_; }
    const ParamPagePs2Values &values() const { return v_; }

    Validation validate() const;
    // The three timing bytes into the parameters.
    void storeToWedgeBytes(OperatingParameters &p) const;
    // From the keyboard-wedge block; a block shorter than 11 bytes is
    // ignored (false).
    bool loadFromWedgeBlock(std::span<const std::uint8_t> block);
    void loadFromWedgeBytes(const OperatingParameters &p);

    ViewState view() const;

private:
    ParamPagePs2Values v_;
};

}  // namespace orvex::app
