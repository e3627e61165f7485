// The keyboard table of readers in USB keyboard mode as the serial sheet
// uses it: read at sheet start, written when programming, kept in the
// "HID_KEYS" section of .mkr files. The reads and writes go over the HID
// channel; the sheet works without one (nothing read, nothing written).
#pragma once

namespace orvex::app {

class CIniEx;

class HidKeyLayout {
public:
    virtual ~HidKeyLayout() = default;
    // Sheet start: reads the reader's table (may ask the layout question).
    // False when the reader gave no table (the sheet shows message 522).
    virtual bool LoadFromReader(int port) = 0;
    // Programming: writes the table; false fails the programming.
    virtual bool WriteToReader(int port) = 0;
    virtual void SaveToFile(CIniEx &file) const = 0;
    virtual void LoadFromFile(const CIniEx &file) = 0;
};

}  // namespace orvex::app
