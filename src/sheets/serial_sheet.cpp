#include "sheets/serial_sheet.h"
#include "base/message_ids.h"

#include <array>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "sheets/config_files.h"
#include "sheets/transponder_writes.h"
#include "orvex/orvex.h"
#include "params/data_format.h"
#include "params/operating_parameters.h"
#include "params/reader_option_models.h"

namespace orvex::app {

namespace {

constexpr const char *kMkrFilter = "Lumo (*.mkr)";

std::string ReadDeviceName(int handle) {
    char name[30] = {};
    if (Orvex_GetDeviceName(handle, name, sizeof name) < 1) return {};
    return name;
}

}  // namespace

SerialSheet::SerialSheet(ConnectContext &ctx, int handle, int baudRate, CapabilityFlags caps)
    : SheetBase(ctx, handle, caps), serialParams(caps), hidParams(caps), baudRate_(baudRate) {
    deviceName_ = ReadDeviceName(handle);
    char version[4];
    if (Orvex_ReadVersion(handle, version, sizeof version) == 4)
        versionDigit_ = VersionDigitValue(version[3]);
    data1.SetSwitches(DataPageSerialSwitches::FromCapabilities(caps, versionDigit_, true));
    data2.SetSwitches(DataPageSerialSwitches::FromCapabilities(caps, versionDigit_, false));
    data2.SetFirstPage(&data1);
    // The first transfer of page 2 already drops the family data set 1 uses.
    data2.Refresh();
    data2.ResetSnapshot();
    for (CharSequencePage *page : {&prefix, &suffix, &removal, &separator}) page->hidFunctionTest = hid();
    const std::string storedPort = ctx.settings.Get(settings::PortName);
    serialParams.SetStoredPortIsUsb(storedPort.rfind(UsbPrefix, 0) == 0);
}

std::vector<SheetPageInfo> SerialSheet::Pages() const {
    std::vector<SheetPageInfo> pages;
    pages.push_back({sheet_pages::kParameters, Text("param.page")});
    pages.push_back({"prefix", prefix.title()});
    pages.push_back({sheet_pages::kData1, Text(twoDataSets() ? "data.page1" : "data.page")});
    if (twoDataSets()) pages.push_back({sheet_pages::kData2, Text("data.page2")});
    pages.push_back({"suffix", suffix.title()});
    pages.push_back({"removal", removal.title()});
    pages.push_back({"separator", separator.title()});
    return pages;
}

void SerialSheet::ReadSequence(const char *what, CharSequencePage &page,
                               int (*read)(int, unsigned char *, int)) {
    const auto block = ReadBlock(what, read);
    if (!block) return;
    CharSequence seq;
    seq.fromBlock(*block);
    page.SetSequence(seq);
    page.SetModified(false);
}

void SerialSheet::ReadConfiguration() {
    BusyScope busy(ctx_.prompts);
    failedReads_.clear();
    if (portHandle == 0) {
        baudRate_ = 19200;
        CapabilityFlags flags = caps_;
        portHandle = ConnectReader(ctx_, baudRate_, flags, true);
        if (portHandle == 0) return;
    }

    // Operating parameters; power-on and DTR mode only when the block came.
    std::array<unsigned char, 4> param{};
    if (Orvex_ReadParameterBlock(portHandle, param.data(), 4) >= 0) {
        const int powerOn = ReadPowerOnMode(portHandle);
        const int dtr = ReadDtrMode(portHandle);
        Validation refused;
        if (hid()) {
            if (!hidParams.LoadFromParameterBlock(param, powerOn, &refused) && refused)
                Refuse(sheet_pages::kParameters, *refused);
        } else {
            OperatingParameters p;
            if (HasCapability(caps_, CAP_EXTENDED) && HasCapability(caps_, CAP_LAN)) {
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
            p.powerOnIndex = static_cast<std::int8_t>(powerOn < 0 ? -1 : PowerOnIndexFromValue(powerOn));
            p.dtrMode = static_cast<std::uint8_t>(dtr > 0 ? dtr - 1 : 0);
            if (!serialParams.LoadFromParameters(p, dtr != 0, &refused) && refused)
                Refuse(sheet_pages::kParameters, *refused);
            serialParams.ResetSnapshot();
        }
    } else {
        ReadFailed("parameters");
    }

    // Data format: one or two data sets.
    std::array<unsigned char, 255> block{};
    int n = Orvex_ReadDataBlock(portHandle, block.data(), static_cast<int>(block.size()));
    // A reply under 9 bytes is no data-format block: the pages keep their values.
    auto readSet = [&](std::span<const std::uint8_t> bytes, DataFormatRecord &r) {
        if (ParseDataFormat(bytes, r) == ParseResult::TooShort) return false;
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
            data1.LoadFromRecord(r1);
            DataFormatRecord r2;
            if (bytes.size() >= kTwoDataSetsBlockSize && readSet(bytes.subspan(kSecondDataSetOffset), r2))
                data2.LoadFromRecord(r2);
            data1.ResetSnapshot();
            data2.ResetSnapshot();
        }
    }
    if (!dataRead) ReadFailed("data");

    ReadSequence("prefix", prefix, Orvex_ReadPrefixBlock);
    ReadSequence("suffix", suffix, Orvex_ReadSuffixBlock);
    ReadSequence("removal", removal, Orvex_ReadRemovalBlock);
    ReadSequence("separator", separator, Orvex_ReadSeparatorBlock);

    if (hid() && hidLink_ && !hidLink_->LoadFromReader(portHandle, keyTable)) {
        ReadFailed("keyTable");
        ShowText(msg::kNoConnection);
    }

    title_ += " <" + deviceName_ + ">";
    CloseReader(portHandle);
}

bool SerialSheet::ValidateDataPages() {
    if (auto e = data1.Validate()) {
        Refuse(sheet_pages::kData1, *e);
        return false;
    }
    if (twoDataSets()) {
        if (auto e = data2.Validate()) {
            Refuse(sheet_pages::kData2, *e);
            return false;
        }
    }
    return true;
}

bool SerialSheet::ValidateParameterPage() {
    Validation e = hid() ? hidParams.Validate() : serialParams.Validate();
    if (e) Refuse(sheet_pages::kParameters, *e);
    return !e;
}

ProgramOutcome SerialSheet::Program() {
    BusyScope busy(ctx_.prompts);
    writes_.clear();
    lastRefusal_.reset();

    int baud = 19200;
    CapabilityFlags flags = 0;
    portHandle = ConnectReader(ctx_, baud, flags, true);
    if (portHandle == 0) {
        ShowText(msg::kNoConnection);
        return ProgramOutcome::NoConnection;
    }
    const std::string current = ReadDeviceName(portHandle);
    if (current != deviceName_) {
        CloseReader(portHandle);
        ctx_.prompts.showMessage(StringTable::instance().format(msg::kWrongModel, deviceName_, current),
                                 MessageIcon::Warning);
        return ProgramOutcome::WrongModel;
    }
    if (!hid()) serialParams.ShowCurrentBaud(baud);

    // Every page is checked before the first write, so a refused value
    // leaves the reader as it was.
    if (!ValidateDataPages() || !ValidateParameterPage()) {
        CloseReader(portHandle);
        return ProgramOutcome::Stopped;
    }
    if (!ProgramSteps(baud)) {
        CloseReader(portHandle);
        ShowText(msg::kProgrammingFailed, MessageIcon::Error);
        return ProgramOutcome::Failed;
    }

    OperatingParameters params;
    if (hid())
        hidParams.StoreToParameters(params);
    else
        serialParams.StoreToParameters(params);
    char portName[80] = {};
    Orvex_GetPortName(portHandle, portName, sizeof portName);
    CloseReader(portHandle);
    if (HasCapability(caps_, CAP_LAN) && HasCapability(caps_, CAP_EXTENDED)) {
        int r = Orvex_LanSetAddress(portName, params.remoteIp.c_str(), params.remotePort);
        std::vector<std::uint8_t> target(params.remoteIp.begin(), params.remoteIp.end());
        writes_.push_back({"tcpClientTarget", target, r == 0});
    }
    ShowText(msg::kProgrammingDone, MessageIcon::Information);
    return ProgramOutcome::Done;
}

void SerialSheet::StoreRecords(DataFormatRecord &r1, DataFormatRecord &r2,
                               OperatingParameters &params) const {
    data1.StoreToRecord(r1);
    if (twoDataSets()) data2.StoreToRecord(r2);
    if (hid())
        hidParams.StoreToParameters(params);
    else
        serialParams.StoreToParameters(params);
}

ReaderContent SerialSheet::ProgramImage() const {
    DataFormatRecord r1, r2;
    OperatingParameters params;
    StoreRecords(r1, r2, params);
    const ParameterBlock paramBlock = EncodeParameterBlock(params);
    ReaderContent image;
    image.prefix = prefix.GetSequence().toBlock();
    image.suffix = suffix.GetSequence().toBlock();
    image.removal = removal.GetSequence().toBlock();
    image.separator = separator.GetSequence().toBlock();
    image.dataFormat = BuildDataFormatBlock(r1, r2, caps_);
    image.parameters = std::vector<std::uint8_t>(paramBlock.begin(), paramBlock.end());
    return image;
}

// Steps of "Programmieren" after the identity check; false at the first
// write the reader refused.
bool SerialSheet::ProgramSteps(int &baud) {
    if (!Write("prefix", prefix.GetSequence().toBlock(), Orvex_WritePrefixBlock)) return false;

    DataFormatRecord r1, r2;
    OperatingParameters params;
    StoreRecords(r1, r2, params);
    if (!Write("data", BuildDataFormatBlock(r1, r2, caps_), Orvex_WriteDataBlock)) return false;
    // A reader that kept its old option would read other transponders than
    // the file says: the option write counts like the blocks.
    std::uint8_t isoFlags = 0;
    if (auto ok = WriteIsoOption(portHandle, r1, r2, isoFlags)) {
        writes_.push_back({"isoOption", {isoFlags}, *ok});
        if (!*ok) return false;
    }

    auto paramBlock = EncodeParameterBlock(params);
    if (!Write("parameters", std::vector<std::uint8_t>(paramBlock.begin(), paramBlock.end()),
               Orvex_WriteParameterBlock))
        return false;

    if (!Write("suffix", suffix.GetSequence().toBlock(), Orvex_WriteSuffixBlock)) return false;
    if (!Write("removal", removal.GetSequence().toBlock(), Orvex_WriteRemovalBlock)) return false;
    if (!Write("separator", separator.GetSequence().toBlock(), Orvex_WriteSeparatorBlock)) return false;

    // Line setting: only plain serial links carry one.
    const int s = params.baudValue;
    if (Orvex_IsUsbPort(portHandle) == 0 && !HasCapability(caps_, CAP_LAN) &&
        !HasCapability(caps_, CAP_BLUETOOTH) && s != baud) {
        const int mode = s % 100 <= 3 ? s % 100 : 0;
        const bool ok = Orvex_SetBaudRate(portHandle, s - s % 100, mode) == 0;
        writes_.push_back({"baudRate", {}, ok});
        if (!ok) return false;
        ctx_.settings.Set(settings::PortBaudrate, s);
        baud = s;
        serialParams.ShowCurrentBaud(s);
    }

    if (HasCapability(caps_, CAP_MIFARE) || HasCapability(caps_, CAP_DESFIRE)) {
        for (const DataFormatRecord *r : {&r1, &r2}) {
            const bool ok = WriteTransponderKeys(portHandle, *r);
            if (!ok) {
                writes_.push_back({"keys", {}, false});
                return false;
            }
        }
    }

    const bool powerOnMode = HasCapability(caps_, CAP_POWER_ON_MODE);
    if (hid()) {
        if (hidLink_ && !hidLink_->WriteToReader(portHandle, keyTable)) {
            writes_.push_back({"keyTable", {}, false});
            return false;
        }
        if (powerOnMode && params.powerOnIndex != -1)
            WritePowerOnMode(portHandle, PowerOnValueFromIndex(params.powerOnIndex));
    } else if (powerOnMode) {
        if (params.powerOnIndex != -1)
            WritePowerOnMode(portHandle, PowerOnValueFromIndex(params.powerOnIndex));
        if (serialParams.dtrSupported()) WriteDtrMode(portHandle, params.dtrMode != 0);
    }

    if (powerOnMode && ReadPowerOnMode(portHandle) == 0 &&
        ctx_.prompts.askYesNo(Text(msg::kBackToReaderMode))) {
        if (!WritePowerOnMode(portHandle, 1)) return false;
        if (hid())
            hidParams.values().powerOnIndex = 1;
        else
            serialParams.values().powerOnIndex = 1;
    }
    return true;
}

bool SerialSheet::AnyModified() const {
    for (const CharSequencePage *page : {&prefix, &suffix, &removal, &separator})
        if (page->modified()) return true;
    return data1.IsModified() || (twoDataSets() && data2.IsModified());
}

void SerialSheet::ClearModifiedAndSnapshots() {
    for (CharSequencePage *page : {&prefix, &suffix, &removal, &separator}) page->SetModified(false);
    data1.ResetSnapshot();
    data2.ResetSnapshot();
    if (!hid()) serialParams.ResetSnapshot();
}

bool SerialSheet::LoadMkr() {
    if (AnyModified() && ctx_.prompts.askYesNo(Text(msg::kSaveFirst)) && !SaveMkr()) return false;
    auto path = ctx_.prompts.chooseOpenFile(Text(504), kMkrFilter, ctx_.settings.Get(settings::MkrFilePath));
    if (!path) return false;
    return LoadMkrFile(*path);
}

bool SerialSheet::LoadMkrFile(const std::string &path) {
    for (CharSequencePage *page : {&prefix, &suffix, &removal, &separator}) page->SetSequence(CharSequence{});
    MkrConfiguration config;
    config.keyTable = keyTable;  // a file without "HID_KEYS" keeps the table
    const ConfigFileResult result = app::LoadMkrFile(path, caps_, config);
    // A section that gave a message would leave a page with other values than
    // the file holds: such a load is a failed load.
    if (!result.ok || !result.messages.empty()) {
        ShowFileMessages(result.messages);
        return false;
    }
    ctx_.settings.Set(settings::MkrFilePath, FolderOf(path));
    prefix.SetSequence(config.prefix);
    data1.LoadFromRecord(config.set1);
    if (twoDataSets()) data2.LoadFromRecord(config.set2);
    if (hid()) {
        hidParams.LoadFromFileParameters(config.parameters);
        keyTable = config.keyTable;
    } else {
        serialParams.LoadFromFileParameters(config.parameters);
    }
    suffix.SetSequence(config.suffix);
    removal.SetSequence(config.removal);
    separator.SetSequence(config.separator);
    ShowFileMessages(result.messages);

    TitleWithPath(path);
    ClearModifiedAndSnapshots();
    return true;
}

bool SerialSheet::SaveMkr() {
    lastRefusal_.reset();
    if (!ValidateDataPages()) {
        ShowText(msg::kDataPageCountError);
        return false;
    }
    auto path =
        ctx_.prompts.chooseSaveFile(Text(506), kMkrFilter, ctx_.settings.Get(settings::MkrFilePath), {});
    if (!path) return false;
    return SaveMkrFile(*path);
}

bool SerialSheet::SaveMkrFile(const std::string &path) {
    lastRefusal_.reset();
    // All pages are checked before the file is touched: a refused value
    // leaves the file as it was.
    if (!ValidateDataPages() || !ValidateParameterPage()) return false;
    ctx_.settings.Set(settings::MkrFilePath, FolderOf(path));

    MkrConfiguration config;
    config.prefix = prefix.GetSequence();
    StoreRecords(config.set1, config.set2, config.parameters);
    config.keyTable = keyTable;
    config.suffix = suffix.GetSequence();
    config.removal = removal.GetSequence();
    config.separator = separator.GetSequence();
    const ConfigFileResult result = app::SaveMkrFile(path, config, caps_);
    if (!result.ok) {
        ctx_.prompts.showMessage(result.error, MessageIcon::Error);
        return false;
    }
    TitleWithPath(path);
    ClearModifiedAndSnapshots();
    return true;
}

}  // namespace orvex::app
