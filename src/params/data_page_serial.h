// Model of the data page of serial readers: one
// data set of the output format as the person edits it, the capability
// switches, validation, conversion to and from a DataFormatRecord and the
// state of every control.
//
// Control names (ViewState keys and ValidationFailure::field):
//   repr0 .. repr5            representation radios (Hexadezimal (ABCDEF) ...)
//   famIso famMifare famIcode1 famDesfire   family check boxes
//   selUid selSingle selSequence            selection radios
//   block1 .. block4, blockSelect ("?")
//   charCount, usedBytesLabel, usedBytesFrom, usedBytesDash, usedBytesTo
//   byteReverse bitReverse leftAlign
//   typeIdBeforeLabel typeIdBefore typeIdAfterLabel typeIdAfter
//   keyGroup keyActive mifareKeyLabel mifareKey mifareKeyTypeLabel mifareKeyType
//   desfireKeyTypeLabel desfireKeyType desfireKeyLabel desfireKeyNumber desfireKey
//   highDataRate twoSubcarrier
//   appIdLabel appId fileIdLabel fileId modeLabel desfireMode
//   startBlockLabel startBlock lengthLabel length
//   infoBox info1 .. info5 (captions are the info texts)
//   functionTest readContent
#pragma once

#include <array>
#include <string>

#include "base/capabilities.h"
#include "params/data_format.h"
#include "params/page_model.h"

namespace orvex::app {

enum class Family { None = -1, Iso15693 = 0, Mifare = 1, ICode1 = 2, Desfire = 3 };

// What the sheet sets from the reader's capabilities before the page is shown.
struct DataPageSerialSwitches {
    bool isFirstDataSet = true;
    bool mifare = false;
    bool icode1 = false;
    bool desfire = false;
    bool longDesfire = false;  // character count up to 250 with DESFire
    bool usedBytes = false;    // from-field and "Byteweise drehen"
    bool bitReverse = false;
    bool leftAlign = false;
    bool decimalNoZeros = false;
    bool typeIds = false;
    bool asciiNoNul = false;
    bool blockSequence = false;
    bool isoOptions = false;  // "High Data Rate", "Two Subcarrier"
    bool hidFunctionTest = false;

    static DataPageSerialSwitches fromCapabilities(CapabilityFlags caps, unsigned versionDigit,
                                                   bool firstDataSet);
};

// The page values; edits keep the typed text.
struct DataPageSerialValues {
    int representation = 0;
    std::array<std::string, 4> blocks{};
    std::array<bool, 4> families{true, false, false, false};  // by Family index
    int selection = 0;                                        // 0 UID, 1 single, 2 sequence
    std::string charCount = "10";
    std::string usedBytesFrom = "1";
    std::string usedBytesTo = "5";
    std::string mifareKey;
    int mifareKeyType = 0;
    bool keyActive = false;
    bool byteReverse = false;
    bool bitReverse = false;
    bool leftAlign = false;
    std::string typeIdBefore;  // UTF-8, at most one character
    std::string typeIdAfter;
    std::string desfireKey;
    int desfireKeyType = 1;  // combo index: 0 3DES, 1 AES
    std::string desfireKeyNumber = "0";
    int desfireMode = 0;
    std::string appId;
    std::string fileId;
    std::string startBlock;
    std::string length;
    bool highDataRate = true;
    bool twoSubcarrier = true;
};

class DataPageSerial {
public:
    explicit DataPageSerial(DataPageSerialSwitches switches = {});

    const DataPageSerialSwitches &switches() const { return switches_; }
    void setSwitches(const DataPageSerialSwitches &s);
    // The page of data set 2 follows the family of data set 1's page.
    void setFirstPage(const DataPageSerial *first) { firstPage_ = first; }

    DataPageSerialValues &values() { return v_; }
    const DataPageSerialValues &values() const { return v_; }

    // The selected family (first set flag), None when no family is set.
    Family family() const;
    bool active() const { return family() != Family::None; }

    // Person's clicks; each refreshes the dependent values.
    void clickFamily(Family f, bool checked);
    void clickSelection(int index);

    // The checks of the page in their order; the first failure or nothing.
    Validation validate();
    void storeToRecord(DataFormatRecord &record) const;
    void loadFromRecord(const DataFormatRecord &record);
    // Values after a load: capability rules, family rules, page-2 interplay.
    void refresh();

    bool isModified() const;
    void resetSnapshot();

    ViewState view() const;

    // Largest character count the current family allows.
    int maxCharCount() const;
    int maxUsedBytes() const;

private:
    void applyFixedCapabilities();
    void followFirstPage();
    Family firstPageFamily() const;

    DataPageSerialSwitches switches_;
    DataPageSerialValues v_;
    const DataPageSerial *firstPage_ = nullptr;
    struct Snapshot {
        long charCount = 10, usedBytesTo = 5;
        int representation = 0;
    } snapshot_;
};

// Family offered by the switches (ISO 15693 always).
bool familyOffered(const DataPageSerialSwitches &s, Family f);
// typeCode of a family and selection index (ISO 15693 for None).
int typeCodeFor(Family f, int selection);

}  // namespace orvex::app
