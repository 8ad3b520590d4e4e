#include "OBrdPropertyPgGeneral.h"

#include "MessageFormat.h"
#include "NumberText.h"
#include "PageControls.h"
#include "Texts.h"
#include "ValueSets.h"

#include "ui_OBrdPropertyPgGeneral.h"

namespace ruva {

OBrdPropertyPgGeneral::OBrdPropertyPgGeneral(GeneralSettings& copy, Prompts& prompts, QWidget* parent)
    : OBrdPropertyPage(parent), form_(std::make_unique<Ui::OBrdPropertyPgGeneral>()), copy_(copy),
      prompts_(prompts) {
    form_->setupUi(this);
    FillList(*form_->ClockSource, ClockSourceCode);
    FillList(*form_->Li0DefaultMode, LiMode);
    FillList(*form_->Li1DefaultMode, LiMode);
    WatchChanges();
}

OBrdPropertyPgGeneral::~OBrdPropertyPgGeneral() = default;

void OBrdPropertyPgGeneral::LoadControls() {
    ShowCode(*form_->ClockSource, ClockSourceCode, copy_.ClockSource);
    form_->HdlcStartAddress->setText(QString::fromStdString(FormatText("0x%1!X!", {copy_.HdlcStartAddress})));
    ShowCode(*form_->Li0DefaultMode, LiMode, copy_.DefaultMode[0]);
    ShowCode(*form_->Li1DefaultMode, LiMode, copy_.DefaultMode[1]);
}

bool OBrdPropertyPgGeneral::StoreControls() {
    const auto address = ParseAddress(form_->HdlcStartAddress->text().toStdString());
    if (!address) {
        RefuseEntry(*form_->HdlcStartAddress, texts::EnterInteger, prompts_);
        return false;
    }
    copy_.HdlcStartAddress = *address;
    copy_.ClockSource = SelectedCode(*form_->ClockSource, ClockSourceCode).value_or(copy_.ClockSource);
    copy_.DefaultMode[0] = SelectedCode(*form_->Li0DefaultMode, LiMode).value_or(copy_.DefaultMode[0]);
    copy_.DefaultMode[1] = SelectedCode(*form_->Li1DefaultMode, LiMode).value_or(copy_.DefaultMode[1]);
    return true;
}

} // namespace ruva
