#include "ConfigSave.h"

#include "AtomicFile.h"
#include "ConfigWriter.h"
#include "MessageFormat.h"
#include "Prompts.h"
#include "Texts.h"

namespace ruva {

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
    std::size_t wordsLeftOut = 0;
    const auto text = WriteConfigFile(config, board, driver, prompts, &wordsLeftOut);
    if (!text)
        return SaveOutcome::DriverError;
    // A text without a value's word would not load again: the file is left as it was.
    if (wordsLeftOut > 0) {
        prompts.ShowMessage(FormatText(texts::ValueWithoutWord, {path}), MessageIcon::Stop);
        return SaveOutcome::ValueWithoutWord;
    }
    if (file.Commit(*text)) {
        prompts.ShowMessage(FormatText(texts::UnableToWriteFile, {path}), MessageIcon::Stop);
        return SaveOutcome::WriteError;
    }
    return SaveOutcome::Saved;
}

} // namespace ruva
