#include "OMainPropertyPgBrd.h"

#include "BoardTransfer.h"
#include "ConfigLoader.h"
#include "ConfigSave.h"
#include "MessageFormat.h"
#include "OBrdPropertySheet.h"
#include "OBrdResourcesDlg.h"
#include "OBrdSerialNoDlg.h"
#include "ProgramResources.h"
#include "QtText.h"
#include "Texts.h"

#include "ui_OMainPropertyPgBrd.h"

#include <QApplication>

namespace ruva {

OMainPropertyPgBrd::OMainPropertyPgBrd(int boardNumber, BoardConfig& config, bool& configLoaded,
                                       Driver& driver, Prompts& prompts, QWidget* parent)
    : QWidget(parent), form_(std::make_unique<Ui::OMainPropertyPgBrd>()), config_(config),
      configLoaded_(configLoaded), boardNumber_(boardNumber), driver_(driver), prompts_(prompts) {
    form_->setupUi(this);
    form_->ProductBitmap->setPixmap(ProductBitmap());
    form_->FileIcon->setPixmap(FileIcon());
    form_->BoardIcon->setPixmap(BoardIcon());
    form_->BoardPageText->setText(ToQString(texts::BoardPageHelp));

    // Until the page is initialised nothing that needs the board or a configuration is enabled.
    for (QPushButton* button :
         {form_->Resources, form_->SerialNo, form_->Diagnostics, form_->LpuBoot, form_->LoadFromBoard,
          form_->SaveToBoard, form_->SaveToFile, form_->EditProperties})
        button->setEnabled(false);

    connect(form_->LoadFromFile, &QPushButton::clicked, this, &OMainPropertyPgBrd::LoadFromFile);
    connect(form_->SaveToFile, &QPushButton::clicked, this, &OMainPropertyPgBrd::SaveToFile);
    connect(form_->LoadFromBoard, &QPushButton::clicked, this, &OMainPropertyPgBrd::LoadFromBoard);
    connect(form_->SaveToBoard, &QPushButton::clicked, this, &OMainPropertyPgBrd::SaveToBoard);
    connect(form_->EditProperties, &QPushButton::clicked, this, &OMainPropertyPgBrd::EditProperties);
    connect(form_->Resources, &QPushButton::clicked, this, &OMainPropertyPgBrd::ShowResources);
    connect(form_->SerialNo, &QPushButton::clicked, this, &OMainPropertyPgBrd::ShowSerialNo);
    connect(form_->Diagnostics, &QPushButton::clicked, this, &OMainPropertyPgBrd::Diagnostics);
    connect(form_->LpuBoot, &QPushButton::clicked, this, &OMainPropertyPgBrd::LpuBoot);
}

OMainPropertyPgBrd::~OMainPropertyPgBrd() = default;

QString OMainPropertyPgBrd::PageTitle() const {
    return ToQString(FormatText(texts::BoardPageCaption, {boardNumber_}));
}

void OMainPropertyPgBrd::OnInitPage() {
    if (initialised_)
        return;
    initialised_ = true;
    boardAvailable_ = CheckBoard(driver_, prompts_, boardNumber_, config_);
    form_->SerialNo->setEnabled(boardAvailable_);
    form_->LoadFromBoard->setEnabled(boardAvailable_);
    form_->Diagnostics->setEnabled(false);
    form_->LpuBoot->setEnabled(boardAvailable_);
    form_->Resources->setEnabled(boardAvailable_);
}

void OMainPropertyPgBrd::OnSetActive() {
    EnableConfigButtons(ConfigDependentButtons(configLoaded_, boardAvailable_));
}

void OMainPropertyPgBrd::EnableConfigButtons(const ConfigButtons& enable) {
    form_->EditProperties->setEnabled(enable.EditProperties);
    form_->SaveToBoard->setEnabled(enable.SaveToBoard);
    form_->SaveToFile->setEnabled(enable.SaveToFile);
}

FileDialogOptions OMainPropertyPgBrd::ConfigFileDialog() {
    return {.DefaultExtension = "cfg",
            .Filters = {{"Config Files (*.cfg)", "*.cfg"}, {"All Files (*)", "*"}},
            .HideReadOnly = true,
            .ConfirmOverwrite = true};
}

void OMainPropertyPgBrd::LoadFromFile() {
    const auto path = prompts_.ChooseFileToOpen(ConfigFileDialog());
    if (!path)
        return;
    configFileName_ = *path;
    const LoadResult loaded = LoadConfigFile(configFileName_, boardNumber_, config_);
    ShowLoadOutcome(loaded, configFileName_, boardNumber_, prompts_);
    if (loaded.Outcome != LoadOutcome::Loaded)
        return;
    configLoaded_ = true;
    EnableConfigButtons(ConfigDependentButtons(true, boardAvailable_));
}

void OMainPropertyPgBrd::SaveToFile() {
    const auto path = prompts_.ChooseFileToSave(ConfigFileDialog());
    if (!path)
        return;
    configFileName_ = *path;
    ruva::SaveToFile(configFileName_, boardNumber_, config_, driver_, prompts_);
}

void OMainPropertyPgBrd::LoadFromBoard() {
    const BoardLoadResult loaded =
        ruva::LoadFromBoard({driver_, prompts_, config_, configLoaded_, boardNumber_, boardAvailable_});
    if (loaded.Outcome == BoardLoadOutcome::Loaded)
        EnableConfigButtons(loaded.Enable);
}

void OMainPropertyPgBrd::SaveToBoard() {
    ruva::SaveToBoard({driver_, prompts_, config_, configLoaded_, boardNumber_, boardAvailable_});
}

void OMainPropertyPgBrd::EditProperties() {
    // Help asked for in the board properties sheet opens beside that sheet, which stays modal.
    ruva::EditProperties(config_, prompts_, this, [] { ShowHelp(QApplication::activeModalWidget()); });
    update();
}

void OMainPropertyPgBrd::ShowResources() {
    OBrdResourcesDlg::Open(driver_, prompts_, boardNumber_, this);
}

void OMainPropertyPgBrd::ShowSerialNo() {
    OBrdSerialNoDlg::Open(driver_, prompts_, boardNumber_, this);
}

void OMainPropertyPgBrd::Diagnostics() {
    prompts_.ShowMessage(texts::NotImplementedYet, MessageIcon::Information);
}

void OMainPropertyPgBrd::LpuBoot() {
    prompts_.ShowMessage(texts::LpuNotSupported, MessageIcon::Information);
}

} // namespace ruva
