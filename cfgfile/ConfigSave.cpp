#include "ConfigSave.h"

#include "AtomicFile.h"
#include "ConfigWriter.h"
#include "MessageFormat.h"
#include "Texts.h"

namespace ruva {

bool WriterRefused(SaveOutcome outcome) {
    return outcome == SaveOutcome::ValueWithoutWord || outcome == SaveOutcome::HdlcStartAddressTooLow;
}

SaveResult SaveToFile(const std::string& path, int board, const BoardConfig& config,
                      const ParametersSource& parameters) {
    MessageList shown;
    const auto failed = [&](SaveOutcome outcome, std::string_view id, texts::Text text,
                            std::string reason = {}) {
        shown.Add(id, MessageIcon::Stop, FormatText(text, {path, reason}));
        return SaveResult{outcome, std::move(shown.All)};
    };
    // The file is opened before the text is produced, so a file that cannot be written is reported
    // before the driver is asked for anything.
    AtomicFile file;
    if (file.Open(path)) {
        if (file.FolderNotWritable())
            return failed(SaveOutcome::CannotOpen, "folder_not_writable", texts::FolderNotWritable);
        if (file.NotGiven())
            return failed(SaveOutcome::CannotOpen, "descriptor_not_given", texts::DescriptorNotGiven);
        return failed(SaveOutcome::CannotOpen, "unable_to_open_file", texts::UnableToOpenFile);
    }
    const std::optional<DriverParameters> driverParameters = parameters(shown);
    if (!driverParameters)
        return {SaveOutcome::DriverError, std::move(shown.All)};
    ConfigText text = FormatConfigFile(config, board, *driverParameters);
    shown.Add(text.Messages);
    // A text that would not load again is no configuration file: the file is left as it was.
    if (text.Refusal != WriterRefusal::None)
        return failed(text.Refusal == WriterRefusal::ValueWithoutWord ? SaveOutcome::ValueWithoutWord
                                                                      : SaveOutcome::HdlcStartAddressTooLow,
                      "not_written_because", texts::NotWrittenBecause, RefusalReason(text.Refusal, config));
    if (file.Commit(text.Text))
        return failed(SaveOutcome::WriteError, "unable_to_write_file", texts::UnableToWriteFile);
    return {SaveOutcome::Saved, std::move(shown.All)};
}

} // namespace ruva
