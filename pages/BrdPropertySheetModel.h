#pragma once
// The board properties sheet: an E1 Mode and a T1 Mode page for each line interface and a General page,
// each editing its own copy of a part of the configuration. A page shows its copy when it becomes active
// and stores its controls back when it stops being active; only OK copies the copies back.
//
// A front end drives the sheet through these calls and binds each page to its controls (PageControls):
// it shows the sheet, reports which page becomes active or stops being active, reports control changes
// and button presses, and asks Apply and OK.

#include "BoardConfig.h"
#include "BrdPropertyPageModel.h"

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace ruva {

class ModalWindows;
class Prompts;

// The E1 Mode (Block = E1Settings) or T1 Mode (T1Settings) page of one line interface.
template <typename Block>
class BrdPropertyPgLiModel : public BrdPropertyPageModel {
public:
    // The copies of both line interfaces live in `copies`, shared with the other line interface's page.
    BrdPropertyPgLiModel(StoredConfig& copies, int li);

    int LineInterface() const { return li_; }
    Block& Settings();
    const Block& Settings() const;

    std::span<const FieldControl> Fields() const override;
    std::span<const LiPageButtonControl> Buttons() const override;
    // CopyFromOtherLi takes the other line interface's copy as that page last stored it (or as the
    // sheet gave it); DefaultValues the block's defaults.
    void Press(LiPageButton button, PageControls& controls) override;

protected:
    std::int64_t Get(std::size_t field) const override;
    void Set(std::size_t field, std::int64_t value) override;

private:
    StoredConfig& copies_;
    int li_;
};

using BrdPropertyPgE1Model = BrdPropertyPgLiModel<E1Settings>;
using BrdPropertyPgT1Model = BrdPropertyPgLiModel<T1Settings>;
extern template class BrdPropertyPgLiModel<E1Settings>;
extern template class BrdPropertyPgLiModel<T1Settings>;

// The General page: clock source, HDLC controller start address and the default mode of each line
// interface, of the copy `copy`.
class BrdPropertyPgGeneralModel : public BrdPropertyPageModel {
public:
    explicit BrdPropertyPgGeneralModel(BoardConfig& copy) : copy_(copy) {}

    GeneralSettings& Settings() { return copy_.General; }
    const GeneralSettings& Settings() const { return copy_.General; }

    std::span<const FieldControl> Fields() const override;

protected:
    std::int64_t Get(std::size_t field) const override;
    void Set(std::size_t field, std::int64_t value) override;

private:
    BoardConfig& copy_;
};

class BrdPropertySheetModel {
public:
    // Pages in tab order.
    enum PageIndex { Li0E1, Li0T1, Li1E1, Li1T1, General, PageCount };

    // Copies `config`'s General settings and the E1 and T1 blocks of both line interfaces into the pages;
    // the first page is active and the sheet is unchanged. Messages go through `prompts`.
    BrdPropertySheetModel(const BoardConfig& config, Prompts& prompts);
    BrdPropertySheetModel(const BrdPropertySheetModel&) = delete;
    BrdPropertySheetModel& operator=(const BrdPropertySheetModel&) = delete;

    // "Ruva-2 Properties".
    static std::string_view Caption();
    // "Li0 (E1 mode)", "Li0 (T1 mode)", "Li1 (E1 mode)", "Li1 (T1 mode)", "General".
    static std::string PageCaption(int index);

    BrdPropertyPageModel& Page(int index) const;
    BrdPropertyPgE1Model& E1Page(int li) const;
    BrdPropertyPgT1Model& T1Page(int li) const;
    BrdPropertyPgGeneralModel& GeneralPage() const;

    // Copies the pages' copies into `config`: General, the clock source, and the default mode and the E1
    // and T1 blocks of each `Li` entry of the image. Nothing else of the image changes.
    void CopyBack(BoardConfig& config) const;

    int ActivePage() const { return active_; }
    // Whether something changed since the sheet opened or since the last Apply (Apply is enabled).
    bool IsChanged() const { return changed_; }
    // Every change of a control marks the sheet as changed.
    void ControlChanged() { changed_ = true; }

    // Page `index` becomes the active page and shows its copy in `controls`.
    void Enter(int index, PageControls& controls);
    // The active page stops being active: it stores `controls`. False when an entry was refused; the
    // page then stays active.
    bool Leave(PageControls& controls);
    // Apply: stores the active page's controls and clears the changed state; nothing reaches the
    // configuration before OK. False when an entry was refused.
    bool Apply(PageControls& controls);
    // OK: stores the active page's controls. True when the sheet may close and its copies be copied back.
    bool Accept(PageControls& controls);
    // A button of page `index`, whose controls are `controls`; marks the sheet as changed.
    void Press(int index, LiPageButton button, PageControls& controls);

private:
    BoardConfig copies_;
    Prompts& prompts_;
    std::array<std::unique_ptr<BrdPropertyPageModel>, PageCount> pages_;
    int active_ = 0;
    bool changed_ = false;
};

// Edit Properties: opens the sheet on copies of `config` through `windows`, modally. Only when it ends
// with OK are the copies copied back into `config`, and the result is true; Cancel or the close box (even
// after Apply) leave `config` as it was.
bool EditProperties(BoardConfig& config, Prompts& prompts, ModalWindows& windows);

} // namespace ruva
