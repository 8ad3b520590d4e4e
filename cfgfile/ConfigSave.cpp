#include "ConfigSave.h"

#include "AtomicFile.h"
#include "ConfigWriter.h"
#include "MessageFormat.h"
#include "Prompts.h"
#include "Texts.h"

namespace ruva {

bool WriterRefused(SaveOutcome outcome) {
    return outcome == SaveOutcome::ValueWithoutWord || outcome == SaveOutcome::HdlcStartAddressTooLow;
}

SaveOutcome SaveToFile(const std::string& path, int board, const BoardConfig& config, Driver& driver,
                       Prompts& prompts) {
    // The file is opened before the text is produced, so a file that cannot be written is reported
    // before the driver is asked for anything.
    AtomicFile file;
    if (file.Open(path)) {
        const texts::Text refusal = file.FolderNotWritable() ? texts::FolderNotWritable
                                    : file.NotGiven()        ? texts::DescriptorNotGiven
                                                             : texts::UnableToOpenFile;
        prompts.ShowMessage(FormatText(refusal, {path}), MessageIcon::Stop);
        return SaveOutcome::CannotOpen;
    }
    WriterRefusal refusal = WriterRefusal::None;
    const auto text = WriteConfigFile(config, board, driver, prompts, &refusal);
    if (!text)
        return SaveOutcome::DriverError;
    // A text that would not load again is no configuration file: the file is left as it was.
    if (refusal != WriterRefusal::None) {
        prompts.ShowMessage(FormatText(texts::NotWrittenBecause, {path, RefusalReason(refusal, config)}),
                            MessageIcon::Stop);
        return refusal == WriterRefusal::ValueWithoutWord ? SaveOutcome::ValueWithoutWord
                                                          : SaveOutcome::HdlcStartAddressTooLow;
    }
    if (file.Commit(*text)) {
        prompts.ShowMessage(FormatText(texts::UnableToWriteFile, {path}), MessageIcon::Stop);
        return SaveOutcome::WriteError;
    }
    return SaveOutcome::Saved;
}

} // namespace ruva
