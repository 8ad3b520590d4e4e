#pragma once
// A board page of the main sheet: moves the sheet's one configuration between a configuration file,
// memory and the page's board, opens the board properties sheet on it, and shows the board's resources
// and serial numbers.
//
// The page checks its board once, the first time it is shown (Initialise); which buttons are enabled
// follows from the outcome of that check and from whether a configuration has been loaded, and the
// front end asks again each time the page becomes active and after each command.

#include "AuditTrail.h"
#include "BoardConfig.h"
#include "PageControls.h"
#include "PageTables.h"
#include "Prompts.h"

#include <span>
#include <string>
#include <string_view>

namespace ruva {

class Driver;
class ModalWindows;

// Whether a button is enabled on an initialised page. The board buttons (Resources, SerialNo,
// LoadFromBoard, LpuBoot) need the board to have passed its check; EditProperties and SaveToFile a loaded
// configuration; SaveToBoard both. LoadFromFile is always enabled, Diagnostics never.
bool ButtonEnabled(MainPropertyPgBrdButton button, bool boardAvailable, bool configLoaded);

// The tab caption of a board's page: "Board %d" with the board number.
std::string MainPropertyPgBrdTitle(int board);

// The file dialogs of LoadFromFile and SaveToFile: ".cfg" by default, config files or all files, and a
// question before an existing file is replaced. On Windows all files are "*.*" and the name starts as
// "*.CFG"; elsewhere all files are "*" and the name starts empty.
FileDialogOptions ConfigFileDialog();

class MainPropertyPgBrdModel {
public:
    // `config` and `configLoaded` are the main sheet's, shared by every board page, and so is `source`,
    // where the configuration came from (none: the page keeps its own). The page's writes to its board
    // are recorded in `audit` (none: not recorded).
    MainPropertyPgBrdModel(int boardNumber, BoardConfig& config, bool& configLoaded, Driver& driver,
                           Prompts& prompts, ConfigSource* source = nullptr, AuditTrail* audit = nullptr);

    int BoardNumber() const { return boardNumber_; }
    std::string Title() const { return MainPropertyPgBrdTitle(boardNumber_); }
    // The outcome of the board check; false until the page has been initialised.
    bool BoardAvailable() const { return boardAvailable_; }
    bool IsInitialised() const { return initialised_; }
    // The file last chosen on this page with LoadFromFile or SaveToFile; empty until then.
    const std::string& ConfigFileName() const { return configFileName_; }

    // First showing: checks the board. Runs once; later calls do nothing.
    void Initialise();
    // Whether the button is enabled now. Before the page is initialised only LoadFromFile is.
    bool IsEnabled(MainPropertyPgBrdButton button) const;

    // Runs the button's command, when the button is enabled; sheets and dialogs open through `windows`.
    // A press of a button that is not enabled does nothing.
    void Press(MainPropertyPgBrdButton button, ModalWindows& windows);

private:
    void LoadFromFile();
    void SaveToFile();
    void LoadFromBoard();
    void SaveToBoard();
    void ExplainFailedCheck(MessageList& shown);
    void EditProperties(ModalWindows& windows);

    BoardConfig& config_;
    bool& configLoaded_;
    ConfigSource ownSource_;
    ConfigSource& source_; // a load sets it, an edit marks it edited
    AuditTrail* audit_;
    int boardNumber_;
    Driver& driver_;
    Prompts& prompts_;
    bool boardAvailable_ = false;
    bool initialised_ = false;
    std::string configFileName_;
};

} // namespace ruva
