#include "sheets/ps2_sheet.h"

#include "base/message_ids.h"

#include <array>

#include "app/settings_store.h"
#include "app/string_table.h"
#include "sheets/config_files.h"
#include "sheets/programming_stop.h"
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

std::vector<SheetPageInfo> Ps2Sheet::pages() const {
    return {{sheet_pages::kParameters, text("param.page")},
            {"prefix", prefix.title()},
            {sheet_pages::kData, text("data.page")},
            {"suffix", suffix.title()},
            {"removal", removal.title()},
            {"separator", separator.title()}};
}

void Ps2Sheet::readSequence(const char *what, KeyStrokePage &page, int (*read)(int, unsigned char *, int)) {
    const auto block = readBlock(what, read);
    if (!block) return;
    KeySequence seq;
    seq.fromBlock(*block);
    page.setSequence(seq);
}

void Ps2Sheet::readConfiguration() {
    BusyScope busy(ctx_.prompts);
    failedReads_.clear();
    int baud = 19200;
    if (!linkForRead(baud)) return;
    std::array<unsigned char, 255> block{};
    int n = Orvex_ReadDataBlock(portHandle, block.data(), static_cast<int>(block.size()));
    // A reply shorter than the 11-byte block (a status-only answer, say) is no
    // data block: the pages would keep values the reader does not hold.
    if (n >= static_cast<int>(kWedgeBlockSize)) {
        std::span<const std::uint8_t> bytes(block.data(), static_cast<std::size_t>(n));
        Validation refused;
        if (!data.loadFromBlock(bytes, &refused) && refused) refuse(sheet_pages::kData, *refused);
        params.loadFromWedgeBlock(bytes);
    } else {
        readFailed("data");
    }
    readSequence("prefix", prefix, Orvex_ReadPrefixBlock);
    readSequence("suffix", suffix, Orvex_ReadSuffixBlock);
    readSequence("removal", removal, Orvex_ReadRemovalBlock);
    readSequence("separator", separator, Orvex_ReadSeparatorBlock);
    closeReader(portHandle);
}

std::vector<std::uint8_t> Ps2Sheet::buildBlock() const {
    DataFormatRecord record;
    data.storeToRecord(record);
    OperatingParameters p;
    params.storeToWedgeBytes(p);
    auto block = buildWedgeBlock(record, p);
    return std::vector<std::uint8_t>(block.begin(), block.end());
}

ReaderContent Ps2Sheet::programImage() const {
    ReaderContent image;
    image.prefix = prefix.getSequence().toBlock();
    image.suffix = suffix.getSequence().toBlock();
    image.removal = removal.getSequence().toBlock();
    image.separator = separator.getSequence().toBlock();
    image.dataFormat = buildBlock();
    return image;
}

ReaderImage Ps2Sheet::image() const { return {programImage(), {}, {}}; }

std::unique_ptr<SheetBase> Ps2Sheet::freshSheet(ConnectContext &ctx, int handle, int) const {
    return std::make_unique<Ps2Sheet>(ctx, handle, caps_);
}

ProgramOutcome Ps2Sheet::program() {
    BusyScope busy(ctx_.prompts);
    writes_.clear();
    lastRefusal_.reset();
    int baud = 19200;
    CapabilityFlags flags = 0;
    portHandle = connectReader(ctx_, baud, flags, true);
    if (portHandle == 0) return ProgramOutcome::NoConnection;

    if (auto e = data.validate()) {
        ValidationFailure f = *e;
        if (data.values().selection == 1) f.field = "block1";
        refuse(sheet_pages::kData, f);
        closeReader(portHandle);
        return ProgramOutcome::Stopped;
    }
    if (auto e = params.validate()) {
        refuse(sheet_pages::kParameters, *e);
        closeReader(portHandle);
        return ProgramOutcome::Stopped;
    }
    beginSteps({"prefix", "data", "suffix", "separator", "removal"});
    if (!write("prefix", prefix.getSequence().toBlock(), Orvex_WritePrefixBlock)) {
        closeReader(portHandle);
        if (programmingStopSignal() == 0) showText(msg::kProgrammingFailed, MessageIcon::Error);
        return ProgramOutcome::Failed;
    }
    // The separator goes before the removal sequence on this sheet.
    bool ok = write("data", buildBlock(), Orvex_WriteDataBlock) &&
              write("suffix", suffix.getSequence().toBlock(), Orvex_WriteSuffixBlock) &&
              write("separator", separator.getSequence().toBlock(), Orvex_WriteSeparatorBlock) &&
              write("removal", removal.getSequence().toBlock(), Orvex_WriteRemovalBlock);
    closeReader(portHandle);
    if (ok || programmingStopSignal() == 0)
        showText(ok ? msg::kProgrammingDone : msg::kProgrammingFailed,
                 ok ? MessageIcon::Information : MessageIcon::Error);
    return ok ? ProgramOutcome::Done : ProgramOutcome::Failed;
}

bool Ps2Sheet::writeFileContent(const std::string &path, const std::string &readerModel) {
    MkpConfiguration config;
    config.readerModel = readerModel;
    config.prefix = prefix.getSequence();
    data.storeToRecord(config.data);
    params.storeToWedgeBytes(config.parameters);
    config.suffix = suffix.getSequence();
    config.separator = separator.getSequence();
    config.removal = removal.getSequence();
    const ConfigFileResult result = app::saveMkpFile(path, config);
    if (result.ok) return true;
    ctx_.prompts.showMessage(result.error, MessageIcon::Error);
    return false;
}

bool Ps2Sheet::loadMkp() {
    auto path = ctx_.prompts.chooseOpenFile(text(504), kMkpOpenFilter, folderOf(lastPath_));
    if (!path) return false;
    setLastPath(*path);
    bool anyEntries = false;
    for (const KeyStrokePage *page : {&prefix, &suffix, &removal, &separator})
        anyEntries = anyEntries || page->count() > 0;
    if (anyEntries && ctx_.prompts.askYesNo(text(msg::kSaveFirst))) {
        if (auto target = ctx_.prompts.chooseSaveFile(text(506), kMkpFilter, folderOf(lastPath_), {}))
            writeFileContent(*target);
    }
    loadMkpFile(*path);
    return true;
}

bool Ps2Sheet::loadMkpFile(const std::string &path) {
    // A missing file or key reads as the defaults (empty sequences).
    MkpConfiguration config;
    const ConfigFileResult result = app::loadMkpFile(path, config);
    prefix.setSequence(config.prefix);
    data.loadFromFileRecord(config.data);
    params.loadFromWedgeBytes(config.parameters);
    suffix.setSequence(config.suffix);
    separator.setSequence(config.separator);
    removal.setSequence(config.removal);
    showFileMessages(result.messages);
    titleWithPath(path);
    return result.messages.empty();
}

bool Ps2Sheet::saveMkp() {
    lastRefusal_.reset();
    if (auto e = data.validate()) {
        refuse(sheet_pages::kData, *e);
        showText(msg::kDataPageCountError);
        return false;
    }
    if (auto e = params.validate()) {
        refuse(sheet_pages::kParameters, *e);
        showText(msg::kInputError);
        return false;
    }
    auto path = ctx_.prompts.chooseSaveFile(text(506), kMkpFilter, folderOf(lastPath_), {});
    if (!path) return false;
    return saveMkpFile(*path);
}

bool Ps2Sheet::validatePages() {
    lastRefusal_.reset();
    if (auto e = data.validate()) {
        refuse(sheet_pages::kData, *e);
        return false;
    }
    if (auto e = params.validate()) {
        refuse(sheet_pages::kParameters, *e);
        return false;
    }
    return true;
}

bool Ps2Sheet::saveBackupFile(const std::string &path, const std::string &readerModel) {
    return validatePages() && writeFileContent(path, readerModel);
}

bool Ps2Sheet::saveMkpFile(const std::string &path, const std::string &readerModel) {
    if (!validatePages()) return false;
    setLastPath(path);
    if (!writeFileContent(path, readerModel)) return false;
    titleWithPath(path);
    return true;
}

}  // namespace orvex::app
