#include "sheets/ps2_sheet.h"
#include "base/message_ids.h"

#include <array>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "sheets/config_files.h"
#include "orvex/orvex.h"
#include "params/data_format.h"
#include "params/operating_parameters.h"
#include "params/wedge_block.h"

namespace orvex::app {

namespace {
constexpr const char *kMkpFilter = "Lumi (*.mkp)";
constexpr const char *kMkpOpenFilter = "Lumo (*.mkp)";
}  // namespace

Ps2Sheet::Ps2Sheet(ConnectContext &ctx, int handle, CapabilityFlags caps) : SheetBase(ctx, handle, caps) {}

std::vector<SheetPageInfo> Ps2Sheet::Pages() const {
    return {{sheet_pages::kParameters, Text("param.page")},
            {"prefix", prefix.title()},
            {sheet_pages::kData, Text("data.page")},
            {"suffix", suffix.title()},
            {"removal", removal.title()},
            {"separator", separator.title()}};
}

void Ps2Sheet::ReadSequence(const char *what, KeyStrokePage &page, int (*read)(int, unsigned char *, int)) {
    const auto block = ReadBlock(what, read);
    if (!block) return;
    KeySequence seq;
    seq.fromBlock(*block);
    page.SetSequence(seq);
}

void Ps2Sheet::ReadConfiguration() {
    BusyScope busy(ctx_.prompts);
    failedReads_.clear();
    if (portHandle == 0) {
        int baud = 19200;
        CapabilityFlags flags = caps_;
        portHandle = ConnectReader(ctx_, baud, flags, true);
        if (portHandle == 0) return;
    }
    std::array<unsigned char, 255> block{};
    int n = Orvex_ReadDataBlock(portHandle, block.data(), static_cast<int>(block.size()));
    if (n >= 0) {
        std::span<const std::uint8_t> bytes(block.data(), static_cast<std::size_t>(n));
        Validation refused;
        if (!data.LoadFromBlock(bytes, &refused) && refused) Refuse(sheet_pages::kData, *refused);
        params.LoadFromWedgeBlock(bytes);
    } else {
        ReadFailed("data");
    }
    ReadSequence("prefix", prefix, Orvex_ReadPrefixBlock);
    ReadSequence("suffix", suffix, Orvex_ReadSuffixBlock);
    ReadSequence("removal", removal, Orvex_ReadRemovalBlock);
    ReadSequence("separator", separator, Orvex_ReadSeparatorBlock);
    CloseReader(portHandle);
}

std::vector<std::uint8_t> Ps2Sheet::BuildBlock() const {
    DataFormatRecord record;
    data.StoreToRecord(record);
    OperatingParameters p;
    params.StoreToWedgeBytes(p);
    auto block = BuildWedgeBlock(record, p);
    return std::vector<std::uint8_t>(block.begin(), block.end());
}

ReaderContent Ps2Sheet::ProgramImage() const {
    ReaderContent image;
    image.prefix = prefix.GetSequence().toBlock();
    image.suffix = suffix.GetSequence().toBlock();
    image.removal = removal.GetSequence().toBlock();
    image.separator = separator.GetSequence().toBlock();
    image.dataFormat = BuildBlock();
    return image;
}

ProgramOutcome Ps2Sheet::Program() {
    BusyScope busy(ctx_.prompts);
    writes_.clear();
    lastRefusal_.reset();
    int baud = 19200;
    CapabilityFlags flags = 0;
    portHandle = ConnectReader(ctx_, baud, flags, true);
    if (portHandle == 0) return ProgramOutcome::NoConnection;

    if (auto e = data.Validate()) {
        ValidationFailure f = *e;
        if (data.values().selection == 1) f.field = "block1";
        Refuse(sheet_pages::kData, f);
        CloseReader(portHandle);
        return ProgramOutcome::Stopped;
    }
    if (auto e = params.Validate()) {
        Refuse(sheet_pages::kParameters, *e);
        CloseReader(portHandle);
        return ProgramOutcome::Stopped;
    }
    if (!Write("prefix", prefix.GetSequence().toBlock(), Orvex_WritePrefixBlock)) {
        CloseReader(portHandle);
        ShowText(msg::kProgrammingFailed, MessageIcon::Error);
        return ProgramOutcome::Failed;
    }
    // The separator goes before the removal sequence on this sheet.
    bool ok = Write("data", BuildBlock(), Orvex_WriteDataBlock) &&
              Write("suffix", suffix.GetSequence().toBlock(), Orvex_WriteSuffixBlock) &&
              Write("separator", separator.GetSequence().toBlock(), Orvex_WriteSeparatorBlock) &&
              Write("removal", removal.GetSequence().toBlock(), Orvex_WriteRemovalBlock);
    CloseReader(portHandle);
    ShowText(ok ? msg::kProgrammingDone : msg::kProgrammingFailed,
             ok ? MessageIcon::Information : MessageIcon::Error);
    return ok ? ProgramOutcome::Done : ProgramOutcome::Failed;
}

bool Ps2Sheet::WriteFileContent(const std::string &path) {
    MkpConfiguration config;
    config.prefix = prefix.GetSequence();
    data.StoreToRecord(config.data);
    params.StoreToWedgeBytes(config.parameters);
    config.suffix = suffix.GetSequence();
    config.separator = separator.GetSequence();
    config.removal = removal.GetSequence();
    const ConfigFileResult result = app::SaveMkpFile(path, config);
    if (result.ok) return true;
    ctx_.prompts.showMessage(result.error, MessageIcon::Error);
    return false;
}

bool Ps2Sheet::LoadMkp() {
    auto path = ctx_.prompts.chooseOpenFile(Text(504), kMkpOpenFilter, FolderOf(lastPath_));
    if (!path) return false;
    SetLastPath(*path);
    bool anyEntries = false;
    for (const KeyStrokePage *page : {&prefix, &suffix, &removal, &separator})
        anyEntries = anyEntries || page->Count() > 0;
    if (anyEntries && ctx_.prompts.askYesNo(Text(msg::kSaveFirst))) {
        if (auto target = ctx_.prompts.chooseSaveFile(Text(506), kMkpFilter, FolderOf(lastPath_), {}))
            WriteFileContent(*target);
    }
    LoadMkpFile(*path);
    return true;
}

bool Ps2Sheet::LoadMkpFile(const std::string &path) {
    // A missing file or key reads as the defaults (empty sequences).
    MkpConfiguration config;
    const ConfigFileResult result = app::LoadMkpFile(path, config);
    prefix.SetSequence(config.prefix);
    data.LoadFromFileRecord(config.data);
    params.LoadFromWedgeBytes(config.parameters);
    suffix.SetSequence(config.suffix);
    separator.SetSequence(config.separator);
    removal.SetSequence(config.removal);
    ShowFileMessages(result.messages);
    TitleWithPath(path);
    return result.messages.empty();
}

bool Ps2Sheet::SaveMkp() {
    lastRefusal_.reset();
    if (auto e = data.Validate()) {
        Refuse(sheet_pages::kData, *e);
        ShowText(msg::kDataPageCountError);
        return false;
    }
    if (auto e = params.Validate()) {
        Refuse(sheet_pages::kParameters, *e);
        ShowText(msg::kInputError);
        return false;
    }
    auto path = ctx_.prompts.chooseSaveFile(Text(506), kMkpFilter, FolderOf(lastPath_), {});
    if (!path) return false;
    return SaveMkpFile(*path);
}

bool Ps2Sheet::SaveMkpFile(const std::string &path) {
    lastRefusal_.reset();
    if (auto e = data.Validate()) {
        Refuse(sheet_pages::kData, *e);
        return false;
    }
    if (auto e = params.Validate()) {
        Refuse(sheet_pages::kParameters, *e);
        return false;
    }
    SetLastPath(path);
    if (!WriteFileContent(path)) return false;
    TitleWithPath(path);
    return true;
}

}  // namespace orvex::app
