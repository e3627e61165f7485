#include "sheets/serial_sheet.h"

#include "base/message_ids.h"

#include <array>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "sheets/config_files.h"
#include "sheets/programming_stop.h"
#include "sheets/transponder_writes.h"
#include "orvex/orvex.h"
#include "params/data_format.h"
#include "params/operating_parameters.h"
#include "params/reader_option_models.h"

namespace orvex::app {

namespace {

constexpr const char *kMkrFilter = "Lumo (*.mkr)";

std::string readDeviceName(int handle) {
    char name[30] = {};
    if (Orvex_GetDeviceName(handle, name, sizeof name) < 1) return {};
    return name;
}

}  // namespace

SerialSheet::SerialSheet(ConnectContext &ctx, int handle, int baudRate, CapabilityFlags caps)
    : SheetBase(ctx, handle, caps),
      serialParams(caps),
      hidParams(caps),
      baudRate_(baudRate),
      readerLink_(ctx.settings, ctx.prompts) {
    deviceName_ = readDeviceName(handle);
    char version[4];
    if (Orvex_ReadVersion(handle, version, sizeof version) == 4)
        versionDigit_ = versionDigitValue(version[3]);
    data1.setSwitches(DataPageSerialSwitches::fromCapabilities(caps, versionDigit_, true));
    data2.setSwitches(DataPageSerialSwitches::fromCapabilities(caps, versionDigit_, false));
    data2.setFirstPage(&data1);
    // The first transfer of page 2 already drops the family data set 1 uses.
    data2.refresh();
    data2.resetSnapshot();
    for (CharSequencePage *page : {&prefix, &suffix, &removal, &separator}) page->hidFunctionTest = hid();
    const std::string storedPort = ctx.settings.get(settings::PortName);
    serialParams.setStoredPortIsUsb(storedPort.rfind(UsbPrefix, 0) == 0);
}

std::vector<SheetPageInfo> SerialSheet::pages() const {
    std::vector<SheetPageInfo> pages;
    pages.push_back({sheet_pages::kParameters, text("param.page")});
    pages.push_back({"prefix", prefix.title()});
    pages.push_back({sheet_pages::kData1, text(twoDataSets() ? "data.page1" : "data.page")});
    if (twoDataSets()) pages.push_back({sheet_pages::kData2, text("data.page2")});
    pages.push_back({"suffix", suffix.title()});
    pages.push_back({"removal", removal.title()});
    pages.push_back({"separator", separator.title()});
    return pages;
}

void SerialSheet::readSequence(const char *what, CharSequencePage &page,
                               int (*read)(int, unsigned char *, int)) {
    const auto block = readBlock(what, read);
    if (!block) return;
    CharSequence seq;
    seq.fromBlock(*block);
    page.setSequence(seq);
    page.setModified(false);
}

void SerialSheet::readConfiguration() {
    BusyScope busy(ctx_.prompts);
    failedReads_.clear();
    if (portHandle == 0) baudRate_ = 19200;
    if (!linkForRead(baudRate_)) return;

    // Operating parameters; power-on and DTR mode only when the block came.
    std::array<unsigned char, 4> param{};
    if (Orvex_ReadParameterBlock(portHandle, param.data(), 4) >= 0) {
        const int powerOn = readPowerOnMode(portHandle);
        const int dtr = readDtrMode(portHandle);
        Validation refused;
        if (hid()) {
            if (!hidParams.loadFromParameterBlock(param, powerOn, &refused) && refused)
                refuse(sheet_pages::kParameters, *refused);
        } else {
            OperatingParameters p;
            if (hasCapability(caps_, CAP_EXTENDED) && hasCapability(caps_, CAP_LAN)) {
                char portName[80] = {};
                char target[20] = {};
                int targetPort = 0;
                if (Orvex_GetPortName(portHandle, portName, sizeof portName) >= 0 &&
                    Orvex_LanReadAddress(portName, target, sizeof target, &targetPort) == 0) {
                    p.remoteIp = target;
                    p.remotePort = targetPort;
                }
            }
            p.modeByte = param[0];
            p.cycleTimeMs = param[1] * 100;
            p.requestChar = static_cast<char>(param[2]);
            p.timeoutMs = param[3] * 100;
            p.baudValue = baudRate_;
            p.powerOnIndex = static_cast<std::int8_t>(powerOn < 0 ? -1 : powerOnIndexFromValue(powerOn));
            p.dtrMode = static_cast<std::uint8_t>(dtr > 0 ? dtr - 1 : 0);
            if (!serialParams.loadFromParameters(p, dtr != 0, &refused) && refused)
                refuse(sheet_pages::kParameters, *refused);
            serialParams.resetSnapshot();
        }
    } else {
        readFailed("parameters");
    }

    // Data format: one or two data sets.
    std::array<unsigned char, 255> block{};
    int n = Orvex_ReadDataBlock(portHandle, block.data(), static_cast<int>(block.size()));
    // A reply under 9 bytes is no data-format block: the pages keep their values.
    auto readSet = [&](std::span<const std::uint8_t> bytes, DataFormatRecord &r) {
        if (parseDataFormat(bytes, r) == ParseResult::TooShort) return false;
        if (r.typeCode == kIso15693Uid || r.typeCode == kIso15693Blocks) {
            int flags = 0;
            r.isoRequestFlags =
                static_cast<std::uint8_t>(Orvex_ReadDataOption(portHandle, &flags) == 0 ? flags : 3);
        }
        return true;
    };
    bool dataRead = false;
    if (n > 0) {
        std::span<const std::uint8_t> bytes(block.data(), static_cast<std::size_t>(n));
        DataFormatRecord r1;
        if (readSet(bytes, r1)) {
            dataRead = true;
            data1.loadFromRecord(r1);
            DataFormatRecord r2;
            if (bytes.size() >= kTwoDataSetsBlockSize && readSet(bytes.subspan(kSecondDataSetOffset), r2))
                data2.loadFromRecord(r2);
            data1.resetSnapshot();
            data2.resetSnapshot();
        }
    }
    if (!dataRead) readFailed("data");

    readSequence("prefix", prefix, Orvex_ReadPrefixBlock);
    readSequence("suffix", suffix, Orvex_ReadSuffixBlock);
    readSequence("removal", removal, Orvex_ReadRemovalBlock);
    readSequence("separator", separator, Orvex_ReadSeparatorBlock);

    if (hid() && hidLink_ && !hidLink_->loadFromReader(portHandle, keyTable)) {
        readFailed("keyTable");
        showText(msg::kNoConnection);
    }

    title_ += " <" + deviceName_ + ">";
    closeReader(portHandle);
}

bool SerialSheet::validateDataPages() {
    if (auto e = data1.validate()) {
        refuse(sheet_pages::kData1, *e);
        return false;
    }
    if (twoDataSets()) {
        if (auto e = data2.validate()) {
            refuse(sheet_pages::kData2, *e);
            return false;
        }
    }
    return true;
}

bool SerialSheet::validateParameterPage() {
    Validation e = hid() ? hidParams.validate() : serialParams.validate();
    if (e) refuse(sheet_pages::kParameters, *e);
    return !e;
}

ProgramOutcome SerialSheet::program() {
    BusyScope busy(ctx_.prompts);
    writes_.clear();
    lastRefusal_.reset();

    int baud = 19200;
    CapabilityFlags flags = 0;
    portHandle = connectReader(ctx_, baud, flags, true);
    if (portHandle == 0) {
        showText(msg::kNoConnection);
        return ProgramOutcome::NoConnection;
    }
    const std::string current = readDeviceName(portHandle);
    if (current != deviceName_) {
        closeReader(portHandle);
        ctx_.prompts.showMessage(StringTable::instance().format(msg::kWrongModel, deviceName_, current),
                                 MessageIcon::Warning);
        return ProgramOutcome::WrongModel;
    }
    if (!hid()) serialParams.showCurrentBaud(baud);

    // Every page is checked before the first write, so a refused value
    // leaves the reader as it was.
    if (!validateDataPages() || !validateParameterPage()) {
        closeReader(portHandle);
        return ProgramOutcome::Stopped;
    }
    if (!programSteps(baud)) {
        closeReader(portHandle);
        // A requested stop is reported with the parts written, not as an error of the reader.
        if (programmingStopSignal() == 0) showText(msg::kProgrammingFailed, MessageIcon::Error);
        return ProgramOutcome::Failed;
    }

    OperatingParameters params;
    if (hid())
        hidParams.storeToParameters(params);
    else
        serialParams.storeToParameters(params);
    char portName[80] = {};
    Orvex_GetPortName(portHandle, portName, sizeof portName);
    closeReader(portHandle);
    if (hasCapability(caps_, CAP_LAN) && hasCapability(caps_, CAP_EXTENDED)) {
        int r = Orvex_LanSetAddress(portName, params.remoteIp.c_str(), params.remotePort);
        std::vector<std::uint8_t> target(params.remoteIp.begin(), params.remoteIp.end());
        writes_.push_back({"tcpClientTarget", target, r == 0});
    }
    showText(msg::kProgrammingDone, MessageIcon::Information);
    return ProgramOutcome::Done;
}

void SerialSheet::storeRecords(DataFormatRecord &r1, DataFormatRecord &r2,
                               OperatingParameters &params) const {
    data1.storeToRecord(r1);
    if (twoDataSets()) data2.storeToRecord(r2);
    if (hid())
        hidParams.storeToParameters(params);
    else
        serialParams.storeToParameters(params);
}

ReaderContent SerialSheet::programImage() const {
    DataFormatRecord r1, r2;
    OperatingParameters params;
    storeRecords(r1, r2, params);
    const ParameterBlock paramBlock = encodeParameterBlock(params);
    ReaderContent image;
    image.prefix = prefix.getSequence().toBlock();
    image.suffix = suffix.getSequence().toBlock();
    image.removal = removal.getSequence().toBlock();
    image.separator = separator.getSequence().toBlock();
    image.dataFormat = buildDataFormatBlock(r1, r2, caps_);
    image.parameters = std::vector<std::uint8_t>(paramBlock.begin(), paramBlock.end());
    return image;
}

bool SerialSheet::setsBaudRate() const {
    return !hasCapability(caps_, CAP_LAN) && !hasCapability(caps_, CAP_BLUETOOTH);
}

std::unique_ptr<SheetBase> SerialSheet::freshSheet(ConnectContext &ctx, int handle, int baud) const {
    auto sheet = std::make_unique<SerialSheet>(ctx, handle, baud, caps_);
    sheet->setHidKeyTableLink(hidLink_);
    return sheet;
}

ReaderImage SerialSheet::image() const {
    DataFormatRecord r1, r2;
    OperatingParameters params;
    storeRecords(r1, r2, params);
    ReaderImage image{programImage(), {}, {}};
    auto add = [&](const char *what, std::vector<std::uint8_t> value) {
        image.settings.push_back({what, std::move(value)});
    };
    auto bytesOf = [](const std::string &s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    if (auto option = isoOptionToWrite(r1, r2)) add("isoOption", {*option});
    // The rate is compared as the line runs at it (the sheet sends it when it differs).
    const bool usbPort = ctx_.settings.get(settings::PortName).rfind(UsbPrefix, 0) == 0;
    if (setsBaudRate() && !usbPort) add("baudRate", bytesOf(std::to_string(params.baudValue)));
    if (hasCapability(caps_, CAP_MIFARE) || hasCapability(caps_, CAP_DESFIRE))
        for (const DataFormatRecord *r : {&r1, &r2})
            if (buildTransponderKeyData(*r).status != TransponderKeyData::Status::NothingToSend) {
                image.writeOnly.push_back("keys");
                break;
            }
    if (hid() && hidLink_) {
        std::vector<std::uint8_t> table;
        for (const KeyEntry &k : keyTable.keys) table.insert(table.end(), {k.normal, k.shift, k.altGr});
        add("keyTable", std::move(table));
    }
    if (hasCapability(caps_, CAP_POWER_ON_MODE)) {
        if (params.powerOnIndex != -1) add("powerOn", {static_cast<std::uint8_t>(params.powerOnIndex)});
        if (!hid() && serialParams.dtrSupported()) add("dtrMode", {params.dtrMode});
    }
    if (hasCapability(caps_, CAP_LAN) && hasCapability(caps_, CAP_EXTENDED))
        add("tcpClientTarget", bytesOf(params.remoteIp + ":" + std::to_string(params.remotePort)));
    return image;
}

// Steps of "Programmieren" after the identity check; false at the first
// write the reader refused.
bool SerialSheet::programSteps(int &baud) {
    DataFormatRecord r1, r2;
    OperatingParameters params;
    storeRecords(r1, r2, params);
    // Line setting: only plain serial links carry one.
    const int s = params.baudValue;
    const bool setsBaud = Orvex_IsUsbPort(portHandle) == 0 && setsBaudRate() && s != baud;
    const bool transponderKeys = hasCapability(caps_, CAP_MIFARE) || hasCapability(caps_, CAP_DESFIRE);
    const bool powerOnMode = hasCapability(caps_, CAP_POWER_ON_MODE);
    std::vector<std::string> steps{"prefix", "data", "parameters", "suffix", "removal", "separator"};
    if (setsBaud) steps.push_back("baudRate");
    if (transponderKeys) steps.push_back("keys");
    if (hid() && hidLink_) steps.push_back("keyTable");
    if (powerOnMode) steps.push_back("powerOn");
    beginSteps(std::move(steps));

    if (!write("prefix", prefix.getSequence().toBlock(), Orvex_WritePrefixBlock)) return false;
    if (!write("data", buildDataFormatBlock(r1, r2, caps_), Orvex_WriteDataBlock)) return false;
    // A reader that kept its old option would read other transponders than
    // the file says: the option write counts like the blocks.
    std::uint8_t isoFlags = 0;
    if (auto ok = writeIsoOption(portHandle, r1, r2, isoFlags)) {
        writes_.push_back({"isoOption", {isoFlags}, *ok});
        if (!*ok) return false;
    }

    auto paramBlock = encodeParameterBlock(params);
    if (!write("parameters", std::vector<std::uint8_t>(paramBlock.begin(), paramBlock.end()),
               Orvex_WriteParameterBlock))
        return false;

    if (!write("suffix", suffix.getSequence().toBlock(), Orvex_WriteSuffixBlock)) return false;
    if (!write("removal", removal.getSequence().toBlock(), Orvex_WriteRemovalBlock)) return false;
    if (!write("separator", separator.getSequence().toBlock(), Orvex_WriteSeparatorBlock)) return false;

    if (setsBaud) {
        if (!beginStep("baudRate")) return false;
        const int mode = s % 100 <= 3 ? s % 100 : 0;
        const bool ok = Orvex_SetBaudRate(portHandle, s - s % 100, mode) == 0;
        writes_.push_back({"baudRate", {}, ok});
        if (!ok) return false;
        ctx_.settings.set(settings::PortBaudrate, s);
        baud = s;
        serialParams.showCurrentBaud(s);
    }

    if (transponderKeys) {
        if (!beginStep("keys")) return false;
        for (const DataFormatRecord *r : {&r1, &r2}) {
            const bool ok = writeTransponderKeys(portHandle, *r);
            if (!ok) {
                writes_.push_back({"keys", {}, false});
                return false;
            }
        }
    }

    if (hid()) {
        if (hidLink_ && !beginStep("keyTable")) return false;
        if (hidLink_ && !hidLink_->writeToReader(portHandle, keyTable)) {
            writes_.push_back({"keyTable", {}, false});
            return false;
        }
        if (powerOnMode && !beginStep("powerOn")) return false;
        if (powerOnMode && params.powerOnIndex != -1)
            writePowerOnMode(portHandle, powerOnValueFromIndex(params.powerOnIndex));
    } else if (powerOnMode) {
        if (!beginStep("powerOn")) return false;
        if (params.powerOnIndex != -1)
            writePowerOnMode(portHandle, powerOnValueFromIndex(params.powerOnIndex));
        if (serialParams.dtrSupported()) writeDtrMode(portHandle, params.dtrMode != 0);
    }

    if (powerOnMode && readPowerOnMode(portHandle) == 0 &&
        ctx_.prompts.askYesNo(text(msg::kBackToReaderMode))) {
        if (!writePowerOnMode(portHandle, 1)) return false;
        if (hid())
            hidParams.values().powerOnIndex = 1;
        else
            serialParams.values().powerOnIndex = 1;
    }
    return true;
}

bool SerialSheet::anyModified() const {
    for (const CharSequencePage *page : {&prefix, &suffix, &removal, &separator})
        if (page->modified()) return true;
    return data1.isModified() || (twoDataSets() && data2.isModified());
}

void SerialSheet::clearModifiedAndSnapshots() {
    for (CharSequencePage *page : {&prefix, &suffix, &removal, &separator}) page->setModified(false);
    data1.resetSnapshot();
    data2.resetSnapshot();
    if (!hid()) serialParams.resetSnapshot();
}

bool SerialSheet::loadMkr() {
    if (anyModified() && ctx_.prompts.askYesNo(text(msg::kSaveFirst)) && !saveMkr()) return false;
    auto path = ctx_.prompts.chooseOpenFile(text(504), kMkrFilter, ctx_.settings.get(settings::MkrFilePath));
    if (!path) return false;
    return loadMkrFile(*path);
}

bool SerialSheet::loadMkrFile(const std::string &path) {
    for (CharSequencePage *page : {&prefix, &suffix, &removal, &separator}) page->setSequence(CharSequence{});
    MkrConfiguration config;
    config.keyTable = keyTable;  // a file without "HID_KEYS" keeps the table
    const ConfigFileResult result = app::loadMkrFile(path, caps_, config);
    // A section that gave a message would leave a page with other values than
    // the file holds: such a load is a failed load.
    if (!result.ok || !result.messages.empty()) {
        showFileMessages(result.messages);
        return false;
    }
    ctx_.settings.set(settings::MkrFilePath, folderOf(path));
    prefix.setSequence(config.prefix);
    data1.loadFromRecord(config.set1);
    if (twoDataSets()) data2.loadFromRecord(config.set2);
    if (hid()) {
        hidParams.loadFromFileParameters(config.parameters);
        keyTable = config.keyTable;
    } else {
        serialParams.loadFromFileParameters(config.parameters);
    }
    suffix.setSequence(config.suffix);
    removal.setSequence(config.removal);
    separator.setSequence(config.separator);
    showFileMessages(result.messages);

    titleWithPath(path);
    clearModifiedAndSnapshots();
    return true;
}

bool SerialSheet::saveMkr() {
    lastRefusal_.reset();
    if (!validateDataPages()) {
        showText(msg::kDataPageCountError);
        return false;
    }
    auto path =
        ctx_.prompts.chooseSaveFile(text(506), kMkrFilter, ctx_.settings.get(settings::MkrFilePath), {});
    if (!path) return false;
    return saveMkrFile(*path);
}

bool SerialSheet::saveMkrFile(const std::string &path, const std::string &readerModel) {
    if (!writeMkr(path, readerModel)) return false;
    ctx_.settings.set(settings::MkrFilePath, folderOf(path));
    titleWithPath(path);
    clearModifiedAndSnapshots();
    return true;
}

bool SerialSheet::saveBackupFile(const std::string &path, const std::string &readerModel) {
    return writeMkr(path, readerModel);
}

bool SerialSheet::writeMkr(const std::string &path, const std::string &readerModel) {
    lastRefusal_.reset();
    // All pages are checked before the file is touched: a refused value
    // leaves the file as it was.
    if (!validateDataPages() || !validateParameterPage()) return false;

    MkrConfiguration config;
    config.prefix = prefix.getSequence();
    storeRecords(config.set1, config.set2, config.parameters);
    config.keyTable = keyTable;
    config.suffix = suffix.getSequence();
    config.removal = removal.getSequence();
    config.separator = separator.getSequence();
    config.readerModel = readerModel;
    const ConfigFileResult result = app::saveMkrFile(path, config, caps_);
    if (!result.ok) {
        ctx_.prompts.showMessage(result.error, MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace orvex::app
