// Reading and writing the keyboard table of readers in USB keyboard mode
// over the HID channel, as the serial sheet uses it: read at sheet start
// (with the layout question), written when programming. The sheet keeps the
// table itself and saves it in the "HID_KEYS" section of .mkr files; without
// a link it neither reads nor writes the reader's table.
#pragma once

#include "params/key_table.h"

namespace orvex::app {

class HidKeyTableLink {
public:
    virtual ~HidKeyTableLink() = default;
    // Sheet start: the reader's table into table (the person may take the
    // host's layout instead). False when the reader gave no table.
    virtual bool loadFromReader(int port, KeyTable &table) = 0;
    // Programming: writes table; false fails the programming.
    virtual bool writeToReader(int port, const KeyTable &table) = 0;
};

}  // namespace orvex::app
