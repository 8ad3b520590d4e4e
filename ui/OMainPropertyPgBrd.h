#pragma once
// A board page of the main sheet: moves the one configuration of the sheet between a configuration
// file, memory and the page's board, opens the board properties sheet on it, and shows the board's
// resources and serial numbers.
//
// The page checks its board once, the first time it is shown (OnInitPage), and re-evaluates the
// buttons that depend on the configuration each time it becomes the active page (OnSetActive).

#include "BoardConfig.h"
#include "Prompts.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class OMainPropertyPgBrd;
}

namespace ruva {

class Driver;
struct ConfigButtons;

class OMainPropertyPgBrd : public QWidget {
    Q_OBJECT

public:
    // `config` and `configLoaded` are the sheet's, shared by every board page.
    OMainPropertyPgBrd(int boardNumber, BoardConfig& config, bool& configLoaded, Driver& driver,
                       Prompts& prompts, QWidget* parent = nullptr);
    ~OMainPropertyPgBrd() override;

    int BoardNumber() const { return boardNumber_; }
    // The tab caption, "Board %d" with the board number.
    QString PageTitle() const;
    // The outcome of the board check; false until the page has been initialised.
    bool BoardAvailable() const { return boardAvailable_; }
    bool IsInitialised() const { return initialised_; }
    // The file last chosen on this page with "Load -->" or "<-- Save"; empty until then.
    const std::string& ConfigFileName() const { return configFileName_; }

    // First showing: checks the board and enables the board buttons by the outcome. Runs once; later
    // calls do nothing.
    void OnInitPage();
    // Each activation: Edit Properties, "Save -->" and "<-- Save" by the loaded state and the board.
    void OnSetActive();

    // The page's commands.
    void LoadFromFile();
    void SaveToFile();
    void LoadFromBoard();
    void SaveToBoard();
    void EditProperties();
    void ShowResources();
    void ShowSerialNo();
    void Diagnostics();
    void LpuBoot();

    // The settings of the configuration file dialogs of both file buttons.
    static FileDialogOptions ConfigFileDialog();

private:
    void EnableConfigButtons(const ConfigButtons& enable);

    std::unique_ptr<Ui::OMainPropertyPgBrd> form_;
    bool boardAvailable_ = false;
    BoardConfig& config_;
    bool& configLoaded_;
    int boardNumber_;
    std::string configFileName_;
    Driver& driver_;
    Prompts& prompts_;
    bool initialised_ = false;
};

} // namespace ruva
